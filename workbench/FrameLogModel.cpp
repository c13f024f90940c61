#include "FrameLogModel.h"

#include <QStringList>
#include <algorithm>

FrameLogModel::FrameLogModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(capacity) {}

void FrameLogModel::add(const std::vector<Seen>& seen) {
    if (seen.empty()) return;
    // Only the newest `capacity` frames of the batch can be kept at all.
    const std::size_t count = std::min(seen.size(), capacity_);
    if (frames_.size() + count > capacity_) {
        // At least a tenth goes at once, so a full log does not shift its rows on every batch.
        const std::size_t drop =
            std::min(frames_.size(), std::max(frames_.size() + count - capacity_, capacity_ / 10));
        beginRemoveRows({}, 0, static_cast<int>(drop) - 1);
        frames_.erase(frames_.begin(), frames_.begin() + static_cast<std::ptrdiff_t>(drop));
        endRemoveRows();
    }
    const int first = static_cast<int>(frames_.size());
    beginInsertRows({}, first, first + static_cast<int>(count) - 1);
    for (auto it = seen.end() - static_cast<std::ptrdiff_t>(count); it != seen.end(); ++it) {
        frames_.push_back(
            {it->seconds, it->direction == kvcom3::TraceDirection::Sent,
             QString::fromStdString(kvcom3::frameHex(it->bytes)),
             QString::fromStdString(kvcom3::frameMeaning(it->protocol, it->direction, it->bytes))});
    }
    endInsertRows();
}

void FrameLogModel::clear() {
    beginResetModel();
    frames_.clear();
    endResetModel();
}

QString FrameLogModel::text() const {
    QStringList lines;
    QStringList header;
    for (int column = 0; column < ColumnCount; ++column)
        header << headerData(column, Qt::Horizontal).toString();
    lines << header.join('\t');
    for (const Frame& frame : frames_) {
        QStringList fields;
        for (int column = 0; column < ColumnCount; ++column) fields << cell(frame, column);
        lines << fields.join('\t');
    }
    return lines.join('\n') + '\n';
}

int FrameLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(frames_.size());
}

int FrameLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString FrameLogModel::cell(const Frame& frame, int column) const {
    switch (column) {
        case Time: return QString::number(frame.seconds, 'f', 3);
        case Direction: return frame.sent ? "sent" : "received";
        case Hex: return frame.hex;
        default: return frame.meaning;
    }
}

QVariant FrameLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role != Qt::DisplayRole) return {};
    return cell(frames_[static_cast<std::size_t>(index.row())], index.column());
}

QVariant FrameLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Time: return "Time (s)";
        case Direction: return "Direction";
        case Hex: return "Bytes";
        case Meaning: return "Meaning";
        default: return {};
    }
}
