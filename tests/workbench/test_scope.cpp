// The scope against the virtual sensor: two objects dragged from the tree are recorded, the
// CSV holds their values, the plot exports, and the saved recording opens again; and its file
// on its own.
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "MainWindow.h"
#include "ObjectTreeModel.h"
#include "ObjectsPanel.h"
#include "ScopePanel.h"
#include "ScopeTableModel.h"
#include "WorkbenchTest.h"
#include "kvcom3/KvError.h"

namespace {

class Scope : public wbtest::Workbench {
  protected:
    void SetUp() override {
        Workbench::SetUp();
        startSensor();
        window = connectedWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->objectsPanel->readValues()) << message();
    }
    void TearDown() override {
        window.reset();
        Workbench::TearDown();
    }

    std::string message() { return window->messageLabel->text().toStdString(); }
    QModelIndex object(const QString& key) {
        ObjectTreeModel& model = *window->objectsPanel->model;
        const QModelIndexList hits =
            model.match(model.index(0, ObjectTreeModel::Key), Qt::DisplayRole, key, 1,
                        Qt::MatchFixedString | Qt::MatchRecursive);
        return hits.isEmpty() ? QModelIndex() : hits.first();
    }
    // What the tree hands a drag of these rows, dropped on the scope.
    bool drop(const QStringList& keys) {
        QModelIndexList rows;
        for (const QString& key : keys)
            for (int column = 0; column < ObjectTreeModel::ColumnCount; ++column)
                rows << object(key).siblingAtColumn(column);
        const std::unique_ptr<QMimeData> data(window->objectsPanel->model->mimeData(rows));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window->scopePanel, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(window->scopePanel, &dropped);
        return dropped.isAccepted();
    }
    static QStringList lines(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    std::unique_ptr<MainWindow> window;
    QTemporaryDir files;
};

TEST_F(Scope, RecordsTwoObjectsSavesThemAsCsvAndOpensThemAgain) {
    const QStringList keys{"foChannelValue4", "foChannelValue6"};
    ScopePanel& scope = *window->scopePanel;
    ASSERT_TRUE(drop(keys)) << message();
    ASSERT_EQ(scope.model->recording().objects().size(), 2u);

    scope.interval->setValue(0.1);
    ASSERT_TRUE(scope.start()) << message();
    ASSERT_TRUE(QTest::qWaitFor([&] { return scope.model->rowCount() >= 8; }, 10000)) << message();
    scope.stop();
    const int samples = scope.model->rowCount();
    EXPECT_EQ(samples % 2, 0) << "each round reads both";

    const QString csv = files.filePath("scope.csv");
    ASSERT_TRUE(scope.saveCsv(csv)) << message();
    const QStringList rows = lines(csv);
    ASSERT_EQ(rows.size(), samples + 1);
    EXPECT_EQ(rows[0], "time,key,value,unit");
    const QRegularExpression row(
        R"(^(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z),(\w+),(-?[0-9.]+),(.*)$)");
    std::map<QString, int> perKey;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const auto match = row.match(rows[i]);
        ASSERT_TRUE(match.hasMatch()) << rows[i].toStdString();
        const QModelIndex shown = object(match.captured(2));
        ASSERT_TRUE(shown.isValid()) << rows[i].toStdString();
        // The sensor's values do not move without noise: what the tree read is what was recorded.
        EXPECT_EQ(match.captured(3),
                  shown.siblingAtColumn(ObjectTreeModel::Value).data().toString());
        EXPECT_EQ(match.captured(4),
                  shown.siblingAtColumn(ObjectTreeModel::Unit).data().toString());
        ++perKey[match.captured(2)];
    }
    EXPECT_EQ(perKey[keys[0]], samples / 2);
    EXPECT_EQ(perKey[keys[1]], samples / 2);

    const QString png = files.filePath("scope.png");
    ASSERT_TRUE(scope.exportPng(png)) << message();
    EXPECT_FALSE(QImage(png).isNull());

    // A file that is not a recording changes nothing; the saved one comes back whole.
    const QString wrong = files.filePath("wrong.csv");
    {
        QFile file(wrong);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("time,key,value,unit\nyesterday,foChannelValue4,1,C\n");
    }
    for (const QString& path : {wrong, files.filePath("missing.csv")}) {
        EXPECT_FALSE(scope.openCsv(path));
        EXPECT_EQ(scope.model->rowCount(), samples) << message();
    }
    EXPECT_TRUE(window->messageLabel->text().endsWith("(error 53)")) << message();
    scope.clear();
    ASSERT_TRUE(scope.openCsv(csv)) << message();
    EXPECT_EQ(scope.model->rowCount(), samples);
    const QList<QAbstractSeries*> series = scope.chartView->chart()->series();
    ASSERT_EQ(series.size(), 2);
    for (QAbstractSeries* s : series) EXPECT_EQ(static_cast<QLineSeries*>(s)->count(), samples / 2);
    ASSERT_TRUE(scope.saveCsv(files.filePath("again.csv")));
    EXPECT_EQ(lines(files.filePath("again.csv")), rows) << "the same recording";
}

}  // namespace

namespace {

ScopeRecording readBack(const QByteArray& text) {
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return ScopeRecording::readCsv(buffer, 3);
}

}  // namespace

// Without a sensor: the oldest samples make room beyond the limit, text with commas and quotes
// comes back as it went, and a file that is not a recording is refused with the line it fails on.
TEST(ScopeFile, KeepsTheNewestQuotesAndRefusesWhatItDidNotWrite) {
    ScopeRecording recording(3);
    const int object = recording.addObject({"foMode", "Mode", "a, \"b\""});
    const QDateTime start = QDateTime::fromString("2026-12-09T10:00:00.000Z", Qt::ISODateWithMs);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(recording.add(start.addMSecs(i), object, i == 4 ? "Locked" : QString::number(i)),
                  i >= 3);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    recording.writeCsv(buffer);
    EXPECT_EQ(buffer.data(),
              "time,key,value,unit\n"
              "2026-12-09T10:00:00.002Z,foMode,2,\"a, \"\"b\"\"\"\n"
              "2026-12-09T10:00:00.003Z,foMode,3,\"a, \"\"b\"\"\"\n"
              "2026-12-09T10:00:00.004Z,foMode,Locked,\"a, \"\"b\"\"\"\n");
    const ScopeRecording again = readBack(buffer.data());
    ASSERT_EQ(again.samples().size(), 3u);
    EXPECT_EQ(again.objects()[0].unit, "a, \"b\"");
    EXPECT_EQ(again.samples()[0].number, 2.0);
    EXPECT_FALSE(again.samples()[2].number) << "a name is listed, not plotted";

    const struct {
        const char* text;
        const char* error;
    } wrong[] = {
        {"", "line 1: the header is not time,key,value,unit"},
        {"time;key;value;unit\n", "line 1: the header is not time,key,value,unit"},
        {"time,key,value,unit\n2026-12-09T10:00:00.000Z,foMode,1\n", "line 2: not four fields"},
        {"time,key,value,unit\n2026-12-09T10:00:00.000Z,foMode,\"1,C\n", "line 2: not four fields"},
        {"time,key,value,unit\n2026-12-09T10:00:00.000Z,,1,C\n", "line 2: no key"},
    };
    for (const auto& row : wrong) {
        try {
            readBack(row.text);
            ADD_FAILURE() << row.text;
        } catch (const kvcom3::KvError& e) {
            EXPECT_EQ(e.number(), 13) << row.text;
            EXPECT_EQ(e.description(), std::string("Type mismatch: ") + row.error) << row.text;
        }
    }
}
