// The memory map panel against the virtual sensor: the table, its filter and the values read.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QTest>

#include "ConnectPanel.h"
#include "FrameLogModel.h"
#include "FrameLogPane.h"
#include "MainWindow.h"
#include "MemoryMapModel.h"
#include "MemoryPanel.h"
#include "WorkbenchTest.h"

namespace {

using wbtest::Workbench;

TEST_F(Workbench, MemoryTableShowsEveryCellWithTheSensorsValue) {
    startSensor();
    MainWindow window;
    window.show();
    ASSERT_TRUE(window.connectTo({QString::fromStdString(sensor->path()), 1, false, -1, 0, 0}));
    MemoryPanel& panel = *window.memoryPanel;
    QTest::mouseClick(panel.readButton, Qt::LeftButton);
    ASSERT_EQ(window.messageLabel->text(), "Reading the memory: done");
    ASSERT_GT(panel.model->rowCount(), 50);
    int cells = 0;
    for (int row = 0; row < panel.model->rowCount(); ++row) {
        const kvcom3::kvArrayNode& cell = *panel.model->cells()[static_cast<std::size_t>(row)];
        if (cell.NrOfBytes() == 0) continue;
        ++cells;
        const QModelIndex shown = panel.model->index(row, MemoryMapModel::Value);
        ASSERT_TRUE(shown.data().isValid()) << cell.Key();
        EXPECT_EQ(shown.data().toInt(), cell.Value(false)) << cell.Key();
    }
    EXPECT_GT(cells, 50);

    panel.search->setText("probe_co2_BATCH");
    ASSERT_EQ(panel.filter->rowCount(), 1);
    const QModelIndex batch = panel.filter->index(0, MemoryMapModel::Value);
    EXPECT_EQ(panel.filter->index(0, MemoryMapModel::Memory).data().toString(), "EEPROM");
    // The value the sensor holds, read again on its own.
    const auto& cell =
        panel.model->cells()[static_cast<std::size_t>(panel.filter->mapToSource(batch).row())];
    EXPECT_EQ(batch.data().toInt(), cell->Value(true));

    QTest::mouseClick(window.connectPanel->disconnectButton, Qt::LeftButton);
    EXPECT_EQ(panel.model->rowCount(), 0);
    EXPECT_TRUE(window.close());
}

TEST_F(Workbench, MemoryReadAsksForEachModbusRegisterOnce) {
    startSensor({}, "modbus");
    MainWindow window;
    window.show();
    ASSERT_TRUE(window.connectTo({QString::fromStdString(sensor->path()), 1, true, -1, 0, 0}));
    const FrameLogModel& log = *window.frameLog->model;
    window.frameLog->clear();
    QTest::mouseClick(window.memoryPanel->readButton, Qt::LeftButton);
    ASSERT_EQ(window.messageLabel->text(), "Reading the memory: done");
    window.frameLog->flush();
    // Bit fields share their register with others; the register still goes out once.
    QSet<QString> asked;
    for (int row = 0; row < log.rowCount(); ++row) {
        const QString meaning = log.index(row, FrameLogModel::Meaning).data().toString();
        if (!meaning.contains(" registers ")) continue;
        EXPECT_FALSE(asked.contains(meaning)) << meaning.toStdString();
        asked.insert(meaning);
    }
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_TRUE(window.close());
}

}  // namespace
