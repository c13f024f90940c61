#include "ObjectTreeModel.h"

#include <QMimeData>
#include <QSet>
#include <algorithm>

#include "CellRuns.h"
#include "kvcom3/Enums.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/kvArrayNode.h"

namespace {

constexpr std::int32_t kCancelled = 32755;

// The value, or the error that stopped it; a cancel ends the caller's work instead.
QString valueText(kvcom3::kvObjectNode& node, bool force) {
    try {
        return QString::fromStdString(node.Value(force).toString());
    } catch (const kvcom3::KvError& e) {
        if (e.number() == kCancelled) throw;
        return QString("error %1: %2").arg(e.number()).arg(e.description().c_str());
    }
}

bool hasEnums(const kvcom3::kvObjectNode& node) {
    return node.Enums() && node.Enums()->Count() > 0;
}

}  // namespace

ObjectTreeModel::ObjectTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void ObjectTreeModel::setTree(std::shared_ptr<kvcom3::kvObjectNodes> top) {
    beginResetModel();
    top_ = std::move(top);
    places_.clear();
    valueNodes_.clear();
    values_.clear();
    if (top_) addPlaces(*top_, nullptr);
    endResetModel();
}

// Nodes know their children but not their parent; the view asks for both.
void ObjectTreeModel::addPlaces(const kvcom3::kvObjectNodes& nodes, kvcom3::kvObjectNode* parent) {
    int row = 0;
    for (const auto& node : nodes) {
        places_[node.get()] = Place{parent, row++};
        if (!node->ArrayNodeKey().empty()) valueNodes_.push_back(node.get());
        if (node->Nodes()) addPlaces(*node->Nodes(), node.get());
    }
}

void ObjectTreeModel::loadValues(kvcom3::ISensMem& sensor, const std::function<void(int)>& progress,
                                 const std::function<bool()>& cancelled) {
    const auto checkCancel = [&] {
        if (cancelled()) throw kvcom3::KvError(kCancelled, "Cancel was selected");
    };
    CellRuns runs(sensor, valueNodes_);
    const std::int64_t total = static_cast<std::int64_t>(valueNodes_.size()) + runs.byteCount();
    runs.read(checkCancel,
              [&](std::int64_t done) { progress(static_cast<int>(done * 100 / total)); });
    std::int64_t done = runs.byteCount();
    // A cell no run brought in is read with its first object only.
    QSet<QString> read;
    for (kvcom3::kvObjectNode* node : valueNodes_) {
        checkCancel();
        const QString key = CellRuns::cellKey(*node);
        const bool force = !runs.fresh(*node) && !read.contains(key);
        read.insert(key);
        showValue(node, valueText(*node, force));
        progress(static_cast<int>(++done * 100 / total));
    }
}

void ObjectTreeModel::showValue(const kvcom3::kvObjectNode* node, const QString& text) {
    values_[node] = text;
    const QModelIndex at = indexOf(node, Value);
    emit dataChanged(at, at);
}

void ObjectTreeModel::refreshCell(const kvcom3::kvObjectNode* changed) {
    for (kvcom3::kvObjectNode* node : valueNodes_)
        if ((node == changed || values_.contains(node)) &&
            QString::fromStdString(node->ArrayNodeKey())
                    .compare(QString::fromStdString(changed->ArrayNodeKey()),
                             Qt::CaseInsensitive) == 0)
            showValue(node, valueText(*node, false));
}

Qt::ItemFlags ObjectTreeModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    const kvcom3::kvObjectNode* n = node(index);
    if (n != nullptr && index.column() == Value && values_.contains(n)) flags |= Qt::ItemIsEditable;
    if (n != nullptr && !n->ArrayNodeKey().empty()) flags |= Qt::ItemIsDragEnabled;
    return flags;
}

bool ObjectTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    emit writeRequested(index, value.toString());
    return false;
}

kvcom3::kvObjectNode* ObjectTreeModel::node(const QModelIndex& index) const {
    return index.isValid() ? static_cast<kvcom3::kvObjectNode*>(index.internalPointer()) : nullptr;
}

QModelIndex ObjectTreeModel::indexOf(const kvcom3::kvObjectNode* node, int column) const {
    const auto it = places_.find(node);
    if (it == places_.end()) return {};
    return createIndex(it->second.row, column, const_cast<kvcom3::kvObjectNode*>(node));
}

const kvcom3::kvObjectNodes* ObjectTreeModel::children(const QModelIndex& parent) const {
    if (!parent.isValid()) return top_.get();
    if (parent.column() != 0) return nullptr;
    return node(parent)->Nodes().get();
}

QModelIndex ObjectTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const kvcom3::kvObjectNodes* nodes = children(parent);
    if (nodes == nullptr || row < 0 || row >= nodes->Count() || column < 0 || column >= ColumnCount)
        return {};
    return createIndex(row, column, nodes->Item(static_cast<long>(row) + 1).get());
}

QModelIndex ObjectTreeModel::parent(const QModelIndex& child) const {
    const auto it = places_.find(node(child));
    if (it == places_.end() || it->second.parent == nullptr) return {};
    return indexOf(it->second.parent, 0);
}

int ObjectTreeModel::rowCount(const QModelIndex& parent) const {
    const kvcom3::kvObjectNodes* nodes = children(parent);
    return nodes != nullptr ? static_cast<int>(nodes->Count()) : 0;
}

int ObjectTreeModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant ObjectTreeModel::data(const QModelIndex& index, int role) const {
    const kvcom3::kvObjectNode* n = node(index);
    if (n == nullptr) return {};
    if (role == SearchRole) return QString::fromStdString(n->Name() + "\n" + n->Key());
    if (role == EnumNamesRole) {
        QStringList names;
        if (hasEnums(*n))
            for (const auto& entry : *n->Enums()) names << QString::fromStdString(entry->Name());
        return names;
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    switch (index.column()) {
        case Name: return QString::fromStdString(n->Name());
        case Value: return values_.value(n);
        case Unit: return QString::fromStdString(n->Unit());
        case Key: return QString::fromStdString(n->Key());
        default: return {};
    }
}

QVariant ObjectTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Name", "Value", "Unit", "Key"};
    return section >= 0 && section < ColumnCount ? names[section] : QVariant();
}

QStringList ObjectTreeModel::mimeTypes() const {
    return {KeysMimeType};
}

QMimeData* ObjectTreeModel::mimeData(const QModelIndexList& indexes) const {
    // A row arrives once for each of its columns.
    QStringList keys;
    for (const QModelIndex& index : indexes) {
        const kvcom3::kvObjectNode* n = node(index);
        if (n == nullptr || n->ArrayNodeKey().empty()) continue;
        const QString key = QString::fromStdString(n->Key());
        if (!keys.contains(key)) keys << key;
    }
    auto* data = new QMimeData;
    data->setData(KeysMimeType, keys.join('\n').toUtf8());
    return data;
}
