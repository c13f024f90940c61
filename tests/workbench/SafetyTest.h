#pragma once

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "Activity.h"
#include "MainWindow.h"
#include "WorkbenchTest.h"
#include "kvcom3/Enums.h"
#include "kvcom3/Journal.h"
#include "kvcom3/clsAdressLevel.h"

namespace wbtest {

// A window connected to the virtual sensor over Modbus (whole memories come in large frames),
// with the journal on in a directory of the test's own.
class SafetyWorkbench : public Workbench {
  protected:
    void SetUp() override {
        Workbench::SetUp();
        ASSERT_TRUE(journalDir.isValid());
        setenv("KVSENSOR_JOURNAL_DIR", journalDir.path().toLocal8Bit().constData(), 1);
        kvcom3::enableJournal("kvworkbench");
        startSensor({}, "modbus");
        window = std::make_unique<MainWindow>();
        window->show();
        const bool connected =
            window->connectTo({QString::fromStdString(sensor->path()), 1, true, -1, 0, 0});
        ASSERT_TRUE(connected) << message();
    }
    void TearDown() override {
        if (window) {
            EXPECT_TRUE(window->close());
        }
        window.reset();
        kvcom3::disableJournal();
        unsetenv("KVSENSOR_JOURNAL_DIR");
        Workbench::TearDown();
    }

    std::string message() const { return window->messageLabel->text().toStdString(); }
    kvcom3::clsAdressLevel& level() { return *window->connection().sensor()->AdressLevel(); }

    // Writes one EEPROM byte as the operation `text`, through the journal.
    void poke(std::int32_t address, std::uint8_t value, const std::string& text) {
        ASSERT_TRUE(window->activity().run("Poke", [&] {
            kvcom3::setJournalOperation(text);
            level().LetValue(address, 1, kvcom3::kvEEPROM, false, 0, kvcom3::kvLSByteAtHighAdress,
                             value);
            level().WriteToSensor(address, 1, kvcom3::kvEEPROM, kvcom3::kvAutoWriteToSensor);
        })) << message();
    }
    // The byte the sensor holds now.
    int peek(std::int32_t address) {
        int value = -1;
        EXPECT_TRUE(window->activity().run("Peek", [&] {
            level().ReadFromSensor(address, 1, kvcom3::kvEEPROM, kvcom3::kvReadFromSensor);
            value = static_cast<int>(level().Value(address, 1, kvcom3::kvEEPROM));
        })) << message();
        return value;
    }

    // Does `act` with the next modal dialog named `name`, once it opens inside the action under
    // test.
    void answerWith(const QString& name, std::function<void(QWidget&)> act) {
        auto* timer = new QTimer(window.get());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, name, act, this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != name) return;
            answered << name;
            timer->stop();
            timer->deleteLater();
            act(*modal);
        });
        timer->start();
    }
    // Clicks the button `button` of a message box, or accepts or rejects a dialog.
    void answer(const QString& name, const QString& button, bool accept = true) {
        answerWith(name, [button, accept](QWidget& modal) {
            if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
                for (QAbstractButton* b : box->buttons())
                    if (b->text().remove('&') == button) return b->click();
            }
            if (auto* dialog = qobject_cast<QDialog*>(&modal))
                accept ? dialog->accept() : dialog->reject();
        });
    }

    QTemporaryDir journalDir;
    std::unique_ptr<MainWindow> window;
    QStringList answered;
};

}  // namespace wbtest
