#include "ObjectsPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "Activity.h"
#include "ObjectTreeModel.h"
#include "SensorConnection.h"

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
    tree->header()->setSectionResizeMode(ObjectTreeModel::Name, QHeaderView::Stretch);
    tree->header()->setStretchLastSection(false);
    search = new QLineEdit(this);
    search->setPlaceholderText("Search by name or key");
    search->setClearButtonEnabled(true);
    readButton = new QPushButton("Read values", this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(search, 1);
    bar->addWidget(readButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(tree, 1);

    connect(readButton, &QPushButton::clicked, this, &ObjectsPanel::readValues);
    connect(search, &QLineEdit::textChanged, this, &ObjectsPanel::searchChanged);
    connect(&activity_, &Activity::busyChanged, this, &ObjectsPanel::updateState);
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
        model->loadValues([this](int percent) { activity_.setProgress(percent); },
                          [this] { return activity_.cancelRequested(); });
    });
}

void ObjectsPanel::connectionChanged(bool) {
    model->setTree(nullptr);
    updateState();
}

void ObjectsPanel::updateState() {
    readButton->setEnabled(connection_.isOpen() && !activity_.busy());
}

void ObjectsPanel::searchChanged(const QString& text) {
    filter->setFilterFixedString(text);
    if (!text.isEmpty()) tree->expandAll();
}
