// The calibration form against the virtual sensor: a refused input sends nothing, a temperature
// offset adjustment typed into the form makes the tree show the true temperature, and the raw
// signal a CO2 procedure lets the user watch is plotted here while the library's display waits.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>

#include "CalibrationPanel.h"
#include "MainWindow.h"
#include "ObjectTreeModel.h"
#include "ObjectsPanel.h"
#include "WorkbenchTest.h"
#include "kvcal3/ui/ReadingPlot.h"
#include "kvcal3/ui/frmShowReading.h"
#include "kvcom3/Journal.h"

namespace {

class Calibration : public wbtest::Workbench {
  protected:
    void SetUp() override {
        Workbench::SetUp();
        kvcom3::enableJournal("kvworkbench", journal.path().toStdString());
        startSensor();
        window = connectedWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(panel().readProcedures()) << message();
    }
    void TearDown() override {
        window.reset();
        kvcom3::disableJournal();
        Workbench::TearDown();
    }

    CalibrationPanel& panel() { return *window->calibrationPanel; }
    std::string message() { return window->messageLabel->text().toStdString(); }
    void choose(const QString& channel, const QString& procedure) {
        panel().channel->setCurrentIndex(panel().channel->findData(channel));
        panel().procedure->setCurrentIndex(panel().procedure->findData(procedure));
    }
    QLineEdit* field(const QString& key) {
        for (QLineEdit* f : panel().inputFields)
            if (f->objectName() == key) return f;
        return nullptr;
    }
    bool nothingWritten() { return QDir(journal.path()).isEmpty(); }
    // The temperature the object tree shows after reading it anew.
    double treeTemperature() {
        ObjectsPanel& objects = *window->objectsPanel;
        if (!objects.readValues()) return NAN;
        const QModelIndexList hits =
            objects.model->match(objects.model->index(0, ObjectTreeModel::Key), Qt::DisplayRole,
                                 "foChannelValue4", 1, Qt::MatchFixedString | Qt::MatchRecursive);
        if (hits.isEmpty()) return NAN;
        return objects.model->indexOf(objects.model->node(hits.first()), ObjectTreeModel::Value)
            .data()
            .toDouble();
    }
    // Acts once `ready` holds, from the event loop the library's dialog runs.
    void when(std::function<bool()> ready, std::function<void()> act) {
        auto* poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, ready, act] {
            if (!ready()) return;
            poll->deleteLater();
            poll->stop();
            act();
        });
        poll->start(20);
    }

    QTemporaryDir journal;
    std::unique_ptr<MainWindow> window;
};

TEST_F(Calibration, TemperatureOffsetFromTheFormAndRefusalsFirst) {
    const double before = window->connection()
                              .sensor()
                              ->ObjectLevel()
                              ->GetNode("foChannelValue4")
                              ->Value(true)
                              .toDouble();
    ASSERT_GT(std::abs(before - 23.0), 0.1) << "the sensor starts off the truth";
    choose("ccSpaceTemp", "cpSpaceTempOffsetAdjust");
    QLineEdit* temperature = field("cvSpaceTempOffsetAdjustCorrectTemp");
    ASSERT_NE(temperature, nullptr);
    ASSERT_EQ(panel().inputFields.size(), 1u);

    const struct {
        const char* text;
        const char* message;
    } refusals[] = {
        {"500",
         "Offset adjust failed: Input value is to high or to low "
         "cvSpaceTempOffsetAdjustCorrectTemp='500' (-50 ... 150) (error 1011)"},
        {"warm",
         "Offset adjust failed: Invalid property value: "
         "cvSpaceTempOffsetAdjustCorrectTemp='warm' is not a number (error 380)"},
    };
    for (const auto& row : refusals) {
        temperature->setText(row.text);
        EXPECT_FALSE(panel().runProcedure()) << row.text;
        EXPECT_EQ(message(), row.message);
        EXPECT_EQ(temperature->text(), row.text) << "the typing stays to be corrected";
    }
    EXPECT_TRUE(nothingWritten());

    temperature->setText("23.0");
    ASSERT_TRUE(panel().runProcedure()) << message();
    EXPECT_EQ(temperature->text(), "") << "the procedure used up its input";
    ASSERT_EQ(panel().changes->rowCount(), 17);
    for (int row = 0; row < 17; ++row) {
        EXPECT_TRUE(panel().changes->item(row, 0)->text().startsWith("eaTable0_"));
        EXPECT_NE(panel().changes->item(row, 1)->text(), panel().changes->item(row, 2)->text());
    }
    EXPECT_NEAR(treeTemperature(), 23.0, 0.1);
}

TEST_F(Calibration, RawSignalPlottedWhileTheLibraryDisplayWaits) {
    choose("ccSpaceCO2", "cpCO2ZeroCal");
    ASSERT_NE(field("cvCO2ZeroCalOld"), nullptr);
    panel().showReadings->setChecked(true);
    // Cancel in the library's display ends the run before anything is written; Next goes on
    // to the zero calibration with the signal typed into the form.
    const struct {
        QPushButton* kvcal3::ui::frmShowReading::*button;
        bool ran;
    } rows[] = {{&kvcal3::ui::frmShowReading::Command1, false},
                {&kvcal3::ui::frmShowReading::Command2, true}};
    for (const auto& row : rows) {
        field("cvCO2ZeroCalOld")->setText("40960");
        int plotted = 0;
        when(
            [&] {
                return qobject_cast<kvcal3::ui::frmShowReading*>(
                           QApplication::activeModalWidget()) != nullptr &&
                       panel().plot->series()->count() >= 2;
            },
            [&] {
                plotted = panel().plot->series()->count();
                auto* display =
                    qobject_cast<kvcal3::ui::frmShowReading*>(QApplication::activeModalWidget());
                QTest::mouseClick(display->*row.button, Qt::LeftButton);
            });
        EXPECT_EQ(panel().runProcedure(), row.ran) << message();
        EXPECT_GE(plotted, 2);
        EXPECT_TRUE(panel().rawSignal->text().startsWith("Raw signal: "));
        EXPECT_EQ(nothingWritten(), !row.ran);
    }
    EXPECT_EQ(message(), "Zero cal: done");
    ASSERT_EQ(panel().changes->rowCount(), 1);
    EXPECT_EQ(panel().changes->item(0, 2)->text(), "3072") << "61440 x 2048 / 40960";
}

}  // namespace
