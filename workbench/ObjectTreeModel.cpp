#include "ObjectTreeModel.h"

#include <QMimeData>
#include <QSet>
#include <algorithm>
#include <optional>
#include <tuple>

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

// The bytes of a cell, half-open; for a run, of neighbouring cells of one memory.
struct CellBytes {
    QString key;
    std::uint8_t memory = 0;
    std::int32_t start = 0;
    std::int32_t end = 0;
};

QString cellKey(const kvcom3::kvObjectNode& node) {
    return QString::fromStdString(node.ArrayNodeKey()).toLower();
}

// Where the map puts the cell; nothing for a key it does not know or a cell without bytes. EEPROM
// addresses wrap at its size, so that two names of one byte join.
std::optional<CellBytes> cellBytes(kvcom3::ISensMem& sensor, const std::string& key) {
    try {
        const auto cell = sensor.ArrayLevel()->GetNode(key);
        if (cell->NrOfBytes() <= 0) return std::nullopt;
        std::int32_t start = cell->Adr();
        if (cell->MemType() == kvcom3::kvEEPROM) {
            const std::int32_t size = sensor.MemSize(kvcom3::enmEEPROM);
            if (size > 0) start &= size - 1;
        }
        return CellBytes{{}, cell->MemType(), start, start + cell->NrOfBytes()};
    } catch (const kvcom3::KvError& e) {
        if (e.number() == kCancelled) throw;
        return std::nullopt;
    }
}

// The runs of bytes the cells cover, overlapping and adjoining cells of one memory joined; bytes
// no cell covers are never read.
std::vector<CellBytes> joinedRuns(std::vector<CellBytes> cells) {
    std::sort(cells.begin(), cells.end(), [](const CellBytes& a, const CellBytes& b) {
        return std::tie(a.memory, a.start) < std::tie(b.memory, b.start);
    });
    std::vector<CellBytes> runs;
    for (const CellBytes& cell : cells) {
        if (!runs.empty() && runs.back().memory == cell.memory && cell.start <= runs.back().end)
            runs.back().end = std::max(runs.back().end, cell.end);
        else
            runs.push_back(cell);
    }
    return runs;
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
    std::vector<CellBytes> cells;
    QSet<QString> known;
    for (kvcom3::kvObjectNode* node : valueNodes_) {
        const QString key = cellKey(*node);
        if (known.contains(key)) continue;
        known.insert(key);
        // A key the map does not know shows its error when the object is read below.
        if (const auto bytes = cellBytes(sensor, node->ArrayNodeKey())) {
            cells.push_back(*bytes);
            cells.back().key = key;
        }
    }
    const std::vector<CellBytes> runs = joinedRuns(cells);
    std::int64_t total = static_cast<std::int64_t>(valueNodes_.size());
    for (const CellBytes& run : runs) total += run.end - run.start;
    std::int64_t done = 0;

    // Cells whose bytes this load has read; the others are read with their first object.
    QSet<QString> fresh;
    for (const CellBytes& run : runs) {
        checkCancel();
        try {
            sensor.AdressLevel()->ReadFromSensor(run.start, run.end - run.start, run.memory,
                                                 kvcom3::kvReadFromSensor);
            for (const CellBytes& cell : cells)
                if (cell.memory == run.memory && cell.start >= run.start && cell.end <= run.end)
                    fresh.insert(cell.key);
        } catch (const kvcom3::KvError& e) {
            if (e.number() == kCancelled) throw;
        }
        done += run.end - run.start;
        progress(static_cast<int>(done * 100 / total));
    }
    for (kvcom3::kvObjectNode* node : valueNodes_) {
        checkCancel();
        const QString key = cellKey(*node);
        const bool force = !fresh.contains(key);
        fresh.insert(key);
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
