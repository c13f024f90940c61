#include "HexModel.h"

#include <QBrush>
#include <QColor>

namespace {

QString hexByte(std::uint8_t byte) {
    return QString("%1").arg(byte, 2, 16, QChar('0')).toUpper();
}

}  // namespace

HexModel::HexModel(QObject* parent) : QAbstractTableModel(parent) {}

void HexModel::setBytes(std::vector<std::uint8_t> bytes) {
    beginResetModel();
    bytes_ = std::move(bytes);
    reference_.reset();
    source_.clear();
    endResetModel();
}

void HexModel::setReference(std::optional<std::vector<std::uint8_t>> reference, QString source) {
    reference_ = std::move(reference);
    source_ = std::move(source);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

bool HexModel::differs(std::size_t address) const {
    if (!reference_ || address >= bytes_.size()) return false;
    return address >= reference_->size() || (*reference_)[address] != bytes_[address];
}

std::size_t HexModel::differenceCount() const {
    std::size_t count = 0;
    for (std::size_t a = 0; a < bytes_.size(); ++a) count += differs(a) ? 1 : 0;
    return count;
}

QModelIndex HexModel::indexOf(std::size_t address) const {
    if (address >= bytes_.size()) return {};
    return index(static_cast<int>(address / kPerRow), static_cast<int>(address % kPerRow));
}

std::optional<std::size_t> HexModel::addressOf(const QModelIndex& index) const {
    if (!index.isValid() || index.column() >= kPerRow) return std::nullopt;
    const auto address = static_cast<std::size_t>(index.row() * kPerRow + index.column());
    if (address >= bytes_.size()) return std::nullopt;
    return address;
}

QString HexModel::rowText(int row) const {
    QString text;
    const auto first = static_cast<std::size_t>(row * kPerRow);
    for (std::size_t a = first; a < std::min(first + kPerRow, bytes_.size()); ++a)
        text += bytes_[a] >= 0x20 && bytes_[a] < 0x7F ? QChar(bytes_[a]) : QChar('.');
    return text;
}

int HexModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>((bytes_.size() + kPerRow - 1) / kPerRow);
}

int HexModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kPerRow + 1;
}

QVariant HexModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (index.column() == Text) return role == Qt::DisplayRole ? rowText(index.row()) : QVariant();
    const auto address = addressOf(index);
    if (!address) return {};
    const std::uint8_t byte = bytes_[*address];
    switch (role) {
        case Qt::DisplayRole: return hexByte(byte);
        case Qt::TextAlignmentRole: return Qt::AlignCenter;
        case Qt::BackgroundRole:
            return differs(*address) ? QBrush(QColor(255, 190, 120)) : QVariant();
        case Qt::ToolTipRole: {
            QString tip = QString("address %1: %2").arg(*address).arg(hexByte(byte));
            if (differs(*address))
                tip += *address < reference_->size()
                           ? QString(", %1 %2").arg(source_, hexByte((*reference_)[*address]))
                           : QString(", %1 has no byte here").arg(source_);
            return tip;
        }
        default: return {};
    }
}

QVariant HexModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical)
        return QString("%1").arg(section * kPerRow, 4, 16, QChar('0')).toUpper();
    return section == Text ? QString("Text") : QString("%1").arg(section, 0, 16).toUpper();
}
