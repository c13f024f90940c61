#include "MemoryMapModel.h"

#include "kvcom3/Enums.h"
#include "kvcom3/KvError.h"

QString memoryName(std::uint8_t memType) {
    switch (memType) {
        case kvcom3::kvRAM: return "RAM";
        case kvcom3::kvEEPROM: return "EEPROM";
        case kvcom3::kvFLASH: return "flash";
        case kvcom3::kvMBIR: return "input registers";
        case kvcom3::kvMBHR: return "holding registers";
        case kvcom3::kvMBCOIL: return "coils";
        case kvcom3::kvMBDI: return "discrete inputs";
        default: return QString::number(memType);
    }
}

MemoryMapModel::MemoryMapModel(QObject* parent) : QAbstractTableModel(parent) {}

void MemoryMapModel::setMap(std::shared_ptr<kvcom3::kvArrayNodes> roots,
                            std::shared_ptr<kvcom3::clsAdressLevel> level) {
    beginResetModel();
    roots_ = std::move(roots);
    level_ = std::move(level);
    cells_.clear();
    if (roots_) addCells(*roots_);
    endResetModel();
}

void MemoryMapModel::addCells(const kvcom3::kvArrayNodes& nodes) {
    for (const auto& node : nodes) {
        cells_.push_back(node.get());
        if (node->Nodes()) addCells(*node->Nodes());
    }
}

void MemoryMapModel::imageChanged() {
    if (!cells_.empty()) emit dataChanged(index(0, Value), index(rowCount() - 1, Value));
}

bool MemoryMapModel::hasValue(const kvcom3::kvArrayNode& cell) const {
    // Coils and discrete inputs have no image.
    if (!level_ || cell.NrOfBytes() < 1 || cell.MemType() == kvcom3::kvMBCOIL ||
        cell.MemType() == kvcom3::kvMBDI)
        return false;
    for (std::int32_t i = 0; i < cell.NrOfBytes(); ++i)
        if (!level_->AdressGotValueP(cell.Adr() + i, cell.MemType())) return false;
    return true;
}

int MemoryMapModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int MemoryMapModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MemoryMapModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
    const kvcom3::kvArrayNode& cell = *cells_[static_cast<std::size_t>(index.row())];
    const bool group = cell.NrOfBytes() == 0;
    switch (index.column()) {
        case Key: return QString::fromStdString(cell.Key());
        case Name: return QString::fromStdString(cell.Name());
        case Memory: return group ? QVariant() : memoryName(cell.MemType());
        case Address: return group ? QVariant() : QVariant(cell.Adr());
        case Size: return group ? QVariant() : QVariant(cell.NrOfBytes());
        case Mask:
            return cell.AdrMask() == 0 ? QVariant()
                                       : QString("0x%1").arg(cell.AdrMask(), 0, 16).toUpper();
        case ByteOrder:
            if (group || cell.NrOfBytes() == 1) return {};
            return cell.ByteOrder() == kvcom3::kvLSByteAtLowAdress ? "low byte first"
                                                                   : "high byte first";
        case Value:
            if (group || !hasValue(cell)) return {};
            try {
                return cell.Value(false);
            } catch (const kvcom3::KvError& e) {
                return QString("error %1").arg(e.number());
            }
        default: return {};
    }
}

QVariant MemoryMapModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Key",  "Name", "Memory",     "Address",
                                        "Size", "Mask", "Byte order", "Value"};
    return section >= 0 && section < ColumnCount ? names[section] : QVariant();
}
