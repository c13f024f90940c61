// Editing in the object tree against the virtual sensor: a drop-down write that reads back, and
// values that never reach the sensor.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTreeView>

#include "MainWindow.h"
#include "ObjectTreeModel.h"
#include "ObjectsPanel.h"
#include "WorkbenchTest.h"

namespace {

struct Question {
    QString name, oldText, newText;
};

class Editing : public wbtest::Workbench {
  protected:
    void SetUp() override {
        Workbench::SetUp();
        startSensor();
        window = connectedWindow();
        ASSERT_NE(window, nullptr);
        panel().setConfirm(
            [this](const QString& name, const QString& oldText, const QString& newText) {
                questions.push_back({name, oldText, newText});
                return answer;
            });
        ASSERT_TRUE(panel().readValues()) << message();
    }
    void TearDown() override {
        if (window) {
            EXPECT_TRUE(window->close());
        }
        window.reset();
        Workbench::TearDown();
    }

    ObjectsPanel& panel() { return *window->objectsPanel; }
    std::string message() { return window->messageLabel->text().toStdString(); }
    QModelIndex value(const QString& key) {
        const QModelIndexList hits =
            panel().model->match(panel().model->index(0, ObjectTreeModel::Key), Qt::DisplayRole,
                                 key, 1, Qt::MatchFixedString | Qt::MatchRecursive);
        if (hits.isEmpty()) return {};
        return panel().model->indexOf(panel().model->node(hits.first()), ObjectTreeModel::Value);
    }

    std::unique_ptr<MainWindow> window;
    std::vector<Question> questions;
    bool answer = true;
};

// One tree read serves both: a drop-down write that asks and reads back; what is not a number
// and a write the user declines send nothing; a number the cell cannot hold is the library's to
// refuse, and its error shows.
TEST_F(Editing, WritesAskFirstAndReadBackAndRefusalsLeaveTheSensorAlone) {
    const QModelIndex mode = value("foOutputMode1");
    ASSERT_TRUE(mode.isValid());
    const QString before = mode.data().toString();
    const QString after = before == "Locked" ? "Normal" : "Locked";
    const QModelIndex shown = panel().filter->mapFromSource(mode);
    panel().tree->scrollTo(shown);
    panel().tree->edit(shown);
    auto* box = panel().tree->viewport()->findChild<QComboBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentText(), before);
    EXPECT_GE(box->count(), 4);
    box->setCurrentText(after);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !questions.empty(); }, 2000));
    EXPECT_EQ(questions[0].oldText, before);
    EXPECT_EQ(questions[0].newText, after);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mode.data().toString() == after; }, 5000))
        << message();
    // The sensor itself holds the new value.
    EXPECT_EQ(panel().model->node(mode)->Value(true).toString(), after.toStdString());

    questions.clear();
    const QModelIndex batch = value("foProbe_CO2_batch");
    ASSERT_TRUE(batch.isValid());
    const std::string batchBefore = panel().model->node(batch)->Value(true).toString();
    EXPECT_FALSE(panel().writeValue(batch, "12x"));
    EXPECT_EQ(message(), "Probe CO2 batch: '12x' is not a number");
    EXPECT_TRUE(questions.empty());
    answer = false;
    EXPECT_FALSE(panel().writeValue(batch, "7"));
    EXPECT_EQ(message(), "Probe CO2 batch: not written");
    answer = true;
    EXPECT_FALSE(panel().writeValue(batch, "99999999"));
    EXPECT_TRUE(window->messageLabel->text().startsWith("Writing Probe CO2 batch failed: "))
        << message();
    EXPECT_EQ(panel().model->node(batch)->Value(true).toString(), batchBefore);
}

}  // namespace
