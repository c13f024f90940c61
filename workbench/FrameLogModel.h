#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <deque>
#include <vector>

#include "kvcom3/FrameMeaning.h"

// The frames seen on the line, oldest first: time, direction, bytes in hexadecimal and what
// they mean. Only the newest `capacity` frames are kept, so a long session stays small.
class FrameLogModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Time, Direction, Hex, Meaning, ColumnCount };

    // A frame as the library reported it, not decoded yet.
    struct Seen {
        kvcom3::FrameProtocol protocol;
        kvcom3::TraceDirection direction;
        std::vector<std::uint8_t> bytes;
        double seconds;
    };

    explicit FrameLogModel(std::size_t capacity = 20000, QObject* parent = nullptr);

    // Appends the frames as rows in one insertion, so a view lays out and repaints once for
    // all of them.
    void add(const std::vector<Seen>& seen);
    void clear();
    // One line a frame, its columns separated by tabs, with a header line.
    QString text() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    struct Frame {
        double seconds;
        bool sent;
        QString hex;
        QString meaning;
    };
    QString cell(const Frame& frame, int column) const;

    std::size_t capacity_;
    std::deque<Frame> frames_;
};
