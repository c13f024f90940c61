#include "ObjectsPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "Activity.h"
#include "CellRuns.h"
#include "ObjectTreeModel.h"
#include "SensorConnection.h"
#include "ValueDelegate.h"
#include "kvcom3/Enums.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"

namespace {

bool askUser(QWidget* parent, const QString& name, const QString& oldText, const QString& newText) {
    return QMessageBox::question(
               parent, "Write to the sensor",
               QString("Change %1\nfrom %2\nto %3?").arg(name, oldText, newText)) ==
           QMessageBox::Yes;
}

// A value that changes by itself: a RAM cell or a Modbus input register.
bool isOnline(kvcom3::ISensMem& sensor, const kvcom3::kvObjectNode& node) {
    try {
        const std::uint8_t memory = sensor.ArrayLevel()->GetNode(node.ArrayNodeKey())->MemType();
        return memory == kvcom3::kvRAM || memory == kvcom3::kvMBIR;
    } catch (const kvcom3::KvError&) {
        return false;
    }
}

}  // namespace

ObjectsPanel::ObjectsPanel(SensorConnection& connection, Activity& activity, QWidget* parent)
    : QWidget(parent), connection_(connection), activity_(activity) {
    model = new ObjectTreeModel(this);
    filter = new QSortFilterProxyModel(this);
    filter->setSourceModel(model);
    filter->setFilterRole(ObjectTreeModel::SearchRole);
    filter->setFilterKeyColumn(ObjectTreeModel::Name);
    filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    filter->setRecursiveFilteringEnabled(true);
    tree = new QTreeView(this);
    tree->setModel(filter);
    tree->setUniformRowHeights(true);
    tree->setItemDelegateForColumn(ObjectTreeModel::Value, new ValueDelegate(tree));
    tree->header()->setSectionResizeMode(ObjectTreeModel::Name, QHeaderView::Stretch);
    tree->header()->setStretchLastSection(false);
    search = new QLineEdit(this);
    search->setPlaceholderText("Search by name or key");
    search->setClearButtonEnabled(true);
    readButton = new QPushButton("Read values", this);
    refreshInterval = new QSpinBox(this);
    refreshInterval->setRange(0, 3600);
    refreshInterval->setSuffix(" s");
    refreshInterval->setSpecialValueText("no refresh");
    refreshInterval->setToolTip("Read the on-line values in view again at this interval");
    refreshTimer = new QTimer(this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(search, 1);
    bar->addWidget(refreshInterval);
    bar->addWidget(readButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(tree, 1);

    connect(readButton, &QPushButton::clicked, this, &ObjectsPanel::readValues);
    connect(refreshTimer, &QTimer::timeout, this, &ObjectsPanel::refreshVisible);
    connect(refreshInterval, &QSpinBox::valueChanged, this, [this](int seconds) {
        if (seconds > 0)
            refreshTimer->start(seconds * 1000);
        else
            refreshTimer->stop();
    });
    connect(search, &QLineEdit::textChanged, this, &ObjectsPanel::searchChanged);
    connect(&activity_, &Activity::busyChanged, this, &ObjectsPanel::updateState);
    // The write runs once the editor has closed, not inside its commit.
    connect(model, &ObjectTreeModel::writeRequested, this,
            [this](const QModelIndex& index, const QString& text) {
                QTimer::singleShot(0, this, [this, at = QPersistentModelIndex(index), text] {
                    writeValue(at, text);
                });
            });
    confirm_ = [this](const QString& name, const QString& oldText, const QString& newText) {
        return askUser(this, name, oldText, newText);
    };
    updateState();
}

bool ObjectsPanel::readValues() {
    const auto sensor = connection_.sensor();
    if (!sensor) return false;
    return activity_.run("Reading the objects", [&] {
        // Building the tree may itself read the sensor, so it happens here, cancellable too; a
        // build that failed half way is dropped, not shown.
        if (!model->hasTree()) {
            try {
                model->setTree(sensor->ObjectLevel()->Nodes());
            } catch (...) {
                sensor->ObjectLevel()->Clear();
                throw;
            }
        }
        model->loadValues(
            *sensor, [this](int percent) { activity_.setProgress(percent); },
            [this] { return activity_.cancelRequested(); });
    });
}

void ObjectsPanel::refreshVisible() {
    const auto sensor = connection_.sensor();
    if (!sensor || !model->hasTree() || activity_.busy()) return;
    std::vector<kvcom3::kvObjectNode*> shown;
    const int bottom = tree->viewport()->height();
    for (QModelIndex at = tree->indexAt(QPoint(0, 0));
         at.isValid() && tree->visualRect(at).top() < bottom; at = tree->indexBelow(at)) {
        kvcom3::kvObjectNode* node = model->node(filter->mapToSource(at));
        if (node != nullptr && !node->ArrayNodeKey().empty() && isOnline(*sensor, *node))
            shown.push_back(node);
    }
    if (shown.empty()) return;
    activity_.run("Refreshing the values in view", [&] {
        const auto checkCancel = [&] {
            if (activity_.cancelRequested()) throw kvcom3::KvError(32755, "Cancel was selected");
        };
        // Values in view lie side by side in RAM: their cells come in with a few reads.
        CellRuns runs(*sensor, shown);
        runs.read(checkCancel);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            checkCancel();
            if (!runs.fresh(*shown[i])) shown[i]->Value(true);
            model->refreshCell(shown[i]);
            activity_.setProgress(static_cast<int>((i + 1) * 100 / shown.size()));
        }
    });
}

bool ObjectsPanel::writeValue(const QPersistentModelIndex& index, const QString& text) {
    const auto sensor = connection_.sensor();
    kvcom3::kvObjectNode* node = model->node(index);
    // The tree may have gone with its sensor since the edit.
    if (!sensor || node == nullptr || activity_.busy()) return false;
    const QString name = QString::fromStdString(node->Name());
    const QString oldText = index.data().toString();
    if (text == oldText) return false;
    kvcom3::Variant value;
    if (!index.data(ObjectTreeModel::EnumNamesRole).toStringList().isEmpty()) {
        value = kvcom3::Variant(text.toStdString());
    } else {
        bool ok = false;
        const double number = QLocale::c().toDouble(text, &ok);
        if (!ok) {
            activity_.showMessage(QString("%1: '%2' is not a number").arg(name, text));
            return false;
        }
        value = kvcom3::Variant(number);
    }
    const QString unit = QString::fromStdString(node->Unit());
    const auto withUnit = [&unit](const QString& v) { return unit.isEmpty() ? v : v + " " + unit; };
    if (!confirm_(name, withUnit(oldText), withUnit(text))) {
        activity_.showMessage(name + ": not written");
        return false;
    }
    return activity_.run("Writing " + name, [&] {
        kvcom3::setJournalOperation("set " + node->Key());
        node->LetValue(true, value);
        // What the sensor holds now, not what was sent.
        node->Value(true);
        model->refreshCell(node);
    });
}

void ObjectsPanel::connectionChanged(bool) {
    model->setTree(nullptr);
    updateState();
}

void ObjectsPanel::updateState() {
    const bool idle = connection_.isOpen() && !activity_.busy();
    readButton->setEnabled(idle);
    tree->setEditTriggers(idle
                              ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                              : QAbstractItemView::NoEditTriggers);
}

void ObjectsPanel::searchChanged(const QString& text) {
    filter->setFilterFixedString(text);
    if (!text.isEmpty()) tree->expandAll();
}
