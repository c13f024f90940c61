// The frame log pane against the virtual sensor: KVBUS frames decoded, pause, clear and save,
// and a Modbus exception the sensor answers with.
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "Activity.h"
#include "FrameLogModel.h"
#include "FrameLogPane.h"
#include "MainWindow.h"
#include "WorkbenchTest.h"
#include "kvcom3/Enums.h"
#include "kvcom3/clsAdressLevel.h"

namespace {

using wbtest::Workbench;

// The rows of the log as "direction|meaning".
QStringList rows(const FrameLogModel& model) {
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.index(row, FrameLogModel::Direction).data().toString() + "|" +
                   model.index(row, FrameLogModel::Meaning).data().toString();
    return out;
}

TEST_F(Workbench, FrameLogDecodesAKvbusReadAndPausesClearsAndSaves) {
    startSensor();
    MainWindow window;
    window.show();
    FrameLogPane& log = *window.frameLog;
    ASSERT_TRUE(window.connectTo({QString::fromStdString(sensor->path()), 1, false, -1, 0, 0}));
    log.flush();
    const QStringList seen = rows(*log.model);
    // The part byte is the first thing read: address byte, CTR, request, ACK with its byte.
    const qsizetype request = seen.indexOf("sent|read RAM 1 byte at 65");
    ASSERT_GE(request, 2) << seen.join('\n').toStdString();
    EXPECT_EQ(seen[request - 2].toStdString(), "sent|address byte, any sensor");
    EXPECT_EQ(seen[request - 1].toStdString(), "received|CTR");
    EXPECT_EQ(seen[request + 1].toStdString(), "received|ACK, 1 data byte");
    EXPECT_EQ(log.model->index(static_cast<int>(request), FrameLogModel::Hex).data().toString(),
              QString("81 41 C2"));

    QTemporaryDir dir;
    const QString file = dir.filePath("frames.txt");
    ASSERT_TRUE(log.saveAs(file));
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(saved.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), log.model->rowCount() + 1);
    EXPECT_TRUE(lines[request + 1].endsWith("\tsent\t81 41 C2\tread RAM 1 byte at 65"))
        << lines[request + 1].toStdString();
    EXPECT_FALSE(log.saveAs(dir.filePath("missing/frames.txt")));

    QTest::mouseClick(log.clearButton, Qt::LeftButton);
    EXPECT_EQ(log.model->rowCount(), 0);
    QTest::mouseClick(log.pauseButton, Qt::LeftButton);
    ASSERT_TRUE(window.activity().run("Read", [&] {
        window.connection().sensor()->AdressLevel()->ReadFromSensor(0, 4, kvcom3::kvRAM,
                                                                    kvcom3::kvReadFromSensor);
    }));
    log.flush();
    EXPECT_EQ(log.model->rowCount(), 0);
    EXPECT_TRUE(window.close());
}

TEST_F(Workbench, FrameLogShowsTheModbusExceptionOfARegisterTheSensorLacks) {
    startSensor({}, "modbus");
    MainWindow window;
    window.show();
    ASSERT_TRUE(window.connectTo({QString::fromStdString(sensor->path()), 1, true, -1, 0, 0}));
    FrameLogModel& model = *window.frameLog->model;
    // The library retries an exception until its attempts run out: the first one is enough.
    QObject::connect(&model, &FrameLogModel::rowsInserted, &window,
                     [&](const QModelIndex&, int first, int last) {
                         for (int row = first; row <= last; ++row)
                             if (model.index(row, FrameLogModel::Meaning)
                                     .data()
                                     .toString()
                                     .contains("exception"))
                                 window.activity().cancel();
                     });
    EXPECT_FALSE(window.activity().run("Read a missing register", [&] {
        window.connection().sensor()->AdressLevel()->ReadFromSensor(2 * 9000, 2, kvcom3::kvMBHR,
                                                                    kvcom3::kvReadFromSensor);
    }));
    window.frameLog->flush();
    const QStringList seen = rows(model);
    EXPECT_TRUE(seen.contains("sent|slave 254, read holding registers 1 from 9000"))
        << seen.join('\n').toStdString();
    EXPECT_TRUE(seen.contains("received|slave 254, exception 2: Illegal data address"))
        << seen.join('\n').toStdString();
    EXPECT_TRUE(window.close());
}

}  // namespace
