#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/kvArrayNode.h"

// The memory map as a table over the library's own cells, in map order: key, name, memory,
// address, size, mask, byte order and value. A value shows only once the image holds every byte
// of the cell, so the table never reaches the sensor itself.
class MemoryMapModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Key, Name, Memory, Address, Size, Mask, ByteOrder, Value, ColumnCount };

    explicit MemoryMapModel(QObject* parent = nullptr);

    // Shows the map under `roots` and the image of `level` (nothing for null).
    void setMap(std::shared_ptr<kvcom3::kvArrayNodes> roots,
                std::shared_ptr<kvcom3::clsAdressLevel> level);
    bool hasMap() const { return roots_ != nullptr; }
    // The image changed: every value is looked at again.
    void imageChanged();
    const std::vector<kvcom3::kvArrayNode*>& cells() const { return cells_; }
    // Whether the image holds every byte of the cell.
    bool hasValue(const kvcom3::kvArrayNode& cell) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    void addCells(const kvcom3::kvArrayNodes& nodes);

    std::shared_ptr<kvcom3::kvArrayNodes> roots_;
    std::shared_ptr<kvcom3::clsAdressLevel> level_;
    std::vector<kvcom3::kvArrayNode*> cells_;
};

// The name of a kvMemTypes value as the table shows it.
QString memoryName(std::uint8_t memType);
