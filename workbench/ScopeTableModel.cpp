#include "ScopeTableModel.h"

ScopeTableModel::ScopeTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ScopeTableModel::setRecording(ScopeRecording recording) {
    beginResetModel();
    recording_ = std::move(recording);
    endResetModel();
}

bool ScopeTableModel::add(const QDateTime& time, int object, const QString& value) {
    const bool full = recording_.full();
    if (full) {
        beginRemoveRows({}, 0, 0);
        recording_.dropOldest();
        endRemoveRows();
    }
    const int row = rowCount();
    beginInsertRows({}, row, row);
    recording_.add(time, object, value);
    endInsertRows();
    return full;
}

void ScopeTableModel::clearSamples() {
    beginResetModel();
    recording_.clearSamples();
    endResetModel();
}

int ScopeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(recording_.samples().size());
}

int ScopeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ScopeTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const ScopeSample& s = recording_.samples()[static_cast<std::size_t>(index.row())];
    const ScopeObject& o = recording_.objects()[static_cast<std::size_t>(s.object)];
    switch (index.column()) {
        case Time: return s.time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss.zzz");
        case Key: return o.key;
        case Value: return s.value;
        case Unit: return o.unit;
        default: return {};
    }
}

QVariant ScopeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Time", "Key", "Value", "Unit"};
    return section >= 0 && section < ColumnCount ? names[section] : QVariant();
}
