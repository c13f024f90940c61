// The window during sensor trouble: Cancel ends a whole-EEPROM read within one attempt, and a
// sensor that went away shows in the status line while the window stays usable.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "Activity.h"
#include "ConnectPanel.h"
#include "FrameLogModel.h"
#include "FrameLogPane.h"
#include "HexModel.h"
#include "HexPanel.h"
#include "LostSensorNotice.h"
#include "MainWindow.h"
#include "WorkbenchTest.h"

namespace {

using wbtest::Workbench;

TEST_F(Workbench, CancelEndsAWholeEepromReadWithinOneAttempt) {
    startSensor();
    MainWindow window;
    window.show();
    ASSERT_TRUE(window.connectTo({QString::fromStdString(sensor->path()), 1, false, -1, 0, 0}));
    FrameLogModel& model = *window.frameLog->model;
    window.frameLog->clear();
    // Every attempt starts with the address byte; Cancel is clicked well inside the read. The
    // log shows frames in batches: what comes in later batches came after the click.
    int attemptsAfterCancel = -1;
    QObject::connect(&model, &FrameLogModel::rowsInserted, &window,
                     [&](const QModelIndex&, int first, int last) {
                         if (attemptsAfterCancel < 0) {
                             if (last < 40) return;
                             attemptsAfterCancel = 0;
                             QTest::mouseClick(window.cancelButton, Qt::LeftButton);
                             return;
                         }
                         for (int row = first; row <= last; ++row)
                             if (model.index(row, FrameLogModel::Meaning)
                                     .data()
                                     .toString()
                                     .startsWith("address"))
                                 ++attemptsAfterCancel;
                     });
    EXPECT_FALSE(window.hexPanel->read());
    window.frameLog->flush();
    EXPECT_EQ(window.messageLabel->text().toStdString(), "Reading the EEPROM: cancelled");
    EXPECT_GE(attemptsAfterCancel, 0);
    EXPECT_LE(attemptsAfterCancel, 1);
    EXPECT_TRUE(window.hexPanel->model->bytes().empty());
    EXPECT_TRUE(window.hexPanel->readButton->isEnabled());
    EXPECT_TRUE(window.close());
}

TEST_F(Workbench, ALostSensorShowsInTheStatusLineAndTheWindowStaysUsable) {
    startSensor();
    MainWindow window;
    window.show();
    ASSERT_TRUE(window.connectTo({QString::fromStdString(sensor->path()), 1, false, -1, 0, 0}));
    EXPECT_FALSE(window.lostNotice->label->isVisible());
    sensor->stop();
    window.hexPanel->memoryChoice->setCurrentIndex(1);
    EXPECT_FALSE(window.hexPanel->read());
    EXPECT_TRUE(window.messageLabel->text().contains("error 75"))
        << window.messageLabel->text().toStdString();
    EXPECT_TRUE(window.lostNotice->label->isVisible());
    EXPECT_TRUE(window.lostNotice->label->text().startsWith("Sensor lost since "));
    QTest::mouseClick(window.connectPanel->disconnectButton, Qt::LeftButton);
    EXPECT_FALSE(window.connection().isOpen());
    EXPECT_FALSE(window.lostNotice->label->isVisible());
    EXPECT_TRUE(window.close());
}

}  // namespace
