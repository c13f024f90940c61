#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "kvcom3/ISensMem.h"
#include "kvcom3/kvObjectNode.h"

// The sensor's object tree as the view sees it, over the library's own nodes: names, units, keys
// and children come from the nodes themselves. Only the value text of each object is kept, as it
// was last read, so that painting never reaches the sensor.
class ObjectTreeModel : public QAbstractItemModel {
    Q_OBJECT

  public:
    enum Column { Name, Value, Unit, Key, ColumnCount };
    // Name and key together, for a search that finds either.
    static constexpr int SearchRole = Qt::UserRole;
    // The names an enumerated object takes, in the library's order; empty for a number.
    static constexpr int EnumNamesRole = Qt::UserRole + 1;
    // What a drag of objects carries: their keys, one a line.
    static constexpr const char* KeysMimeType = "application/x-kvworkbench-object-keys";

    explicit ObjectTreeModel(QObject* parent = nullptr);

    // Shows the tree under `top` (nothing for null), with no values read yet.
    void setTree(std::shared_ptr<kvcom3::kvObjectNodes> top);
    bool hasTree() const { return top_ != nullptr; }

    // Reads every object's value from `sensor`, each cell once: first the bytes of all cells,
    // neighbouring cells of a memory together in the largest blocks the protocol allows, then
    // the objects in tree order from the image. A run of cells whose read fails is read again
    // cell by cell, so that an object that cannot be read shows its own error and the load goes
    // on. `progress` receives 0-100; `cancelled` is asked between reads and ends the load with
    // 32755 "Cancel was selected", as a cancelled transfer does.
    void loadValues(kvcom3::ISensMem& sensor, const std::function<void(int)>& progress,
                    const std::function<bool()>& cancelled);
    // Objects whose value was read (an error counts as read).
    int loadedCount() const { return static_cast<int>(values_.size()); }
    // Objects that have a value.
    int valueCount() const { return static_cast<int>(valueNodes_.size()); }

    // Shows the value of `node`, and of every object read before over the same cell, as the
    // library's image now holds it (a write changes bit fields that share the cell too); reads
    // nothing from the sensor.
    void refreshCell(const kvcom3::kvObjectNode* node);

    // The node an index shows; null for an invalid index.
    kvcom3::kvObjectNode* node(const QModelIndex& index) const;
    QModelIndex indexOf(const kvcom3::kvObjectNode* node, int column) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // A value that was read can be edited; an edit does not change the model but asks for a
    // write through writeRequested, which the panel confirms and sends.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // An object with a value can be dragged away (to the scope); the drag carries its key.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // Stores the value text of a node and tells the views.
    void showValue(const kvcom3::kvObjectNode* node, const QString& text);

  signals:
    void writeRequested(const QModelIndex& index, const QString& text);

  private:
    struct Place {
        kvcom3::kvObjectNode* parent;
        int row;
    };
    void addPlaces(const kvcom3::kvObjectNodes& nodes, kvcom3::kvObjectNode* parent);
    const kvcom3::kvObjectNodes* children(const QModelIndex& parent) const;

    std::shared_ptr<kvcom3::kvObjectNodes> top_;
    std::unordered_map<const kvcom3::kvObjectNode*, Place> places_;
    std::vector<kvcom3::kvObjectNode*> valueNodes_;
    QHash<const kvcom3::kvObjectNode*, QString> values_;
};
