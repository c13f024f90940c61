// The object tree panel against the virtual sensor: the tree and its values, the search, and
// Cancel during the load.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "Activity.h"
#include "ConnectPanel.h"
#include "MainWindow.h"
#include "ObjectTreeModel.h"
#include "ObjectsPanel.h"
#include "WorkbenchTest.h"

namespace {

class ObjectTree : public wbtest::Workbench {
  protected:
    void open(MainWindow& window) {
        window.show();
        ASSERT_TRUE(window.connectTo({QString::fromStdString(sensor->path()), 1, false, -1, 0, 0}))
            << window.messageLabel->text().toStdString();
        window.tabs->setCurrentWidget(window.objectsPanel);
    }
    // The row of the filtered view that shows the object under `key`.
    static QModelIndex find(const ObjectsPanel& panel, const QString& key, int column) {
        const QModelIndexList hits =
            panel.model->match(panel.model->index(0, ObjectTreeModel::Key), Qt::DisplayRole, key, 1,
                               Qt::MatchFixedString | Qt::MatchRecursive);
        if (hits.isEmpty()) return {};
        return panel.model->indexOf(panel.model->node(hits.first()), column);
    }
};

TEST_F(ObjectTree, LoadsEveryValueAndFindsByNameOrKey) {
    startSensor();
    MainWindow window;
    open(window);
    ObjectsPanel& panel = *window.objectsPanel;
    QTest::mouseClick(panel.readButton, Qt::LeftButton);
    EXPECT_EQ(window.messageLabel->text(), "Reading the objects: done");
    ASSERT_GT(panel.model->valueCount(), 20);
    EXPECT_EQ(panel.model->loadedCount(), panel.model->valueCount());
    const QModelIndex temperature = find(panel, "foChannelValue4", ObjectTreeModel::Value);
    ASSERT_TRUE(temperature.isValid());
    // The sensor's own reading of a 23 degree world, as the library holds it.
    EXPECT_NEAR(temperature.data().toDouble(), 23.0, 1.0);
    EXPECT_EQ(temperature.data().toString().toStdString(),
              panel.model->node(temperature)->Value(false).toString());
    EXPECT_FALSE(temperature.siblingAtColumn(ObjectTreeModel::Unit).data().toString().isEmpty());

    // Every object the view keeps holds the text in its name or key, or is a folder above one.
    for (const QString text : {"foChannelValue4", "CHANNELVALUE", "temp"}) {
        panel.search->setText(text);
        ASSERT_GT(panel.filter->rowCount(), 0) << text.toStdString();
        QModelIndexList open{QModelIndex()};
        int matches = 0;
        while (!open.isEmpty()) {
            const QModelIndex parent = open.takeLast();
            for (int row = 0; row < panel.filter->rowCount(parent); ++row) {
                const QModelIndex at = panel.filter->index(row, 0, parent);
                const QString searched = at.data(ObjectTreeModel::SearchRole).toString();
                if (searched.contains(text, Qt::CaseInsensitive))
                    ++matches;
                else
                    EXPECT_GT(panel.filter->rowCount(at), 0) << searched.toStdString();
                open << at;
            }
        }
        EXPECT_GT(matches, 0) << text.toStdString();
    }
    panel.search->setText("no object is called this");
    EXPECT_EQ(panel.filter->rowCount(), 0);

    QTest::mouseClick(window.connectPanel->disconnectButton, Qt::LeftButton);
    EXPECT_FALSE(panel.model->hasTree());
    EXPECT_FALSE(panel.readButton->isEnabled());
}

// Cancel clicked while a transfer waits ends the load there; the next load reads everything.
TEST_F(ObjectTree, CancelEndsTheLoadAndTheNextLoadCompletes) {
    startSensor({"--line-rate"});
    MainWindow window;
    open(window);
    ObjectsPanel& panel = *window.objectsPanel;
    int shown = 0;
    QObject::connect(panel.model, &ObjectTreeModel::dataChanged, &window, [&] {
        if (++shown == 5)
            QTimer::singleShot(0, &window,
                               [&] { QTest::mouseClick(window.cancelButton, Qt::LeftButton); });
    });
    EXPECT_FALSE(panel.readValues());
    EXPECT_EQ(window.messageLabel->text(), "Reading the objects: cancelled");
    EXPECT_GE(panel.model->loadedCount(), 5);
    EXPECT_LT(panel.model->loadedCount(), panel.model->valueCount());
    EXPECT_FALSE(window.cancelButton->isVisible());

    shown = 6;
    EXPECT_TRUE(panel.readValues()) << window.messageLabel->text().toStdString();
    EXPECT_EQ(panel.model->loadedCount(), panel.model->valueCount());
}

// A refresh reads the on-line values the view shows, and nothing else.
TEST_F(ObjectTree, RefreshReadsOnlyTheOnlineValuesInView) {
    startSensor();
    MainWindow window;
    open(window);
    ObjectsPanel& panel = *window.objectsPanel;
    panel.model->setTree(window.connection().sensor()->ObjectLevel()->Nodes());
    std::vector<std::string> reads;
    window.connection().sensor()->ComLogg.connect([&](std::string& line) {
        if (line.starts_with("Reading")) reads.push_back(line);
    });
    struct Row {
        const char* search;
        bool reads;
    };
    // The temperature is in RAM; the probe batch number in EEPROM.
    for (const Row row : {Row{"foChannelValue4", true}, Row{"foProbe_CO2_batch", false},
                          Row{"no object is called this", false}}) {
        SCOPED_TRACE(row.search);
        reads.clear();
        panel.search->setText(row.search);
        panel.refreshVisible();
        EXPECT_EQ(!reads.empty(), row.reads);
        for (const std::string& line : reads) EXPECT_TRUE(line.ends_with("in RAM")) << line;
    }
    const QModelIndex temperature = find(panel, "foChannelValue4", ObjectTreeModel::Value);
    EXPECT_NEAR(temperature.data().toDouble(), 23.0, 1.0);
}

// A load reads each byte of the objects' cells once, neighbouring cells in one transfer.
TEST_F(ObjectTree, ALoadReadsEachByteOnceAndNeighboursTogether) {
    startSensor();
    MainWindow window;
    open(window);
    ObjectsPanel& panel = *window.objectsPanel;
    // The first load builds the tree, which reads some cells of its own.
    ASSERT_TRUE(panel.readValues());
    std::map<std::pair<std::string, int>, int> timesRead;
    int transfers = 0;
    window.connection().sensor()->ComLogg.connect([&](std::string& line) {
        int count = 0;
        int adr = 0;
        char memory[16] = {};
        if (std::sscanf(line.c_str(), "Reading %d bytes from adress %d in %15s", &count, &adr,
                        memory) != 3)
            return;
        ++transfers;
        for (int i = 0; i < count; ++i) ++timesRead[{memory, adr + i}];
    });
    ASSERT_TRUE(panel.readValues());
    EXPECT_EQ(panel.model->loadedCount(), panel.model->valueCount());
    ASSERT_FALSE(timesRead.empty());
    for (const auto& [byte, times] : timesRead)
        EXPECT_EQ(times, 1) << byte.first << " " << byte.second;
    EXPECT_LT(2 * transfers, panel.model->valueCount());
}

// The window closed during a load cancels it and then closes.
TEST_F(ObjectTree, CloseDuringTheLoadCancelsAndCloses) {
    startSensor({"--line-rate"});
    MainWindow window;
    open(window);
    QTimer::singleShot(200, &window, &MainWindow::close);
    EXPECT_FALSE(window.objectsPanel->readValues());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 2000));
    EXPECT_FALSE(window.connection().isOpen());
}

}  // namespace
