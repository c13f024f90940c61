#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "kvcom3/PortScan.h"

class QFileSystemWatcher;

// The machine's serial ports as the library's port scan finds them, one row each: device, the
// port numbers that lead to it, the by-id name, the USB ids and whether the user may open it
// (with the group that would grant it). The list follows adapters as they are plugged in and
// out: a change under the device folder scans again.
class PortListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Device, Ports, ById, Usb, Access, ColumnCount };

    explicit PortListModel(kvcom3::ScanRoots roots = {}, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The device path of a row.
    QString device(int row) const;

  public slots:
    void refresh();

  private:
    void watch();

    kvcom3::ScanRoots roots_;
    std::vector<kvcom3::SerialPortInfo> ports_;
    QFileSystemWatcher* watcher_;
};

// "read and write", or what stands in the way and how to get past it.
QString accessText(const kvcom3::SerialPortInfo& port);
