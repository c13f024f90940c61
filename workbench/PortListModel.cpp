#include "PortListModel.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QStringList>

PortListModel::PortListModel(kvcom3::ScanRoots roots, QObject* parent)
    : QAbstractTableModel(parent),
      roots_(std::move(roots)),
      watcher_(new QFileSystemWatcher(this)) {
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &PortListModel::refresh);
    refresh();
}

QString accessText(const kvcom3::SerialPortInfo& port) {
    if (!port.exists) return "not found";
    if (port.readable && port.writable) return "read and write";
    QString text = port.readable ? "read only" : port.writable ? "write only" : "no access";
    if (port.groupGrantsAccess)
        text += QString(": group %1 grants access (sudo usermod -aG %1 $USER, then log in again)")
                    .arg(QString::fromStdString(port.group));
    return text;
}

void PortListModel::refresh() {
    beginResetModel();
    ports_ = kvcom3::scanPorts(roots_, false);
    endResetModel();
    watch();
}

void PortListModel::watch() {
    // The by-id folder comes and goes with the first and last USB adapter.
    const QStringList folders{QString::fromStdString(roots_.dev),
                              QString::fromStdString(roots_.dev) + "/serial/by-id"};
    for (const QString& folder : folders)
        if (QDir(folder).exists() && !watcher_->directories().contains(folder))
            watcher_->addPath(folder);
}

int PortListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ports_.size());
}

int PortListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString PortListModel::device(int row) const {
    if (row < 0 || row >= rowCount()) return {};
    return QString::fromStdString(ports_[static_cast<std::size_t>(row)].path);
}

QVariant PortListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
    const kvcom3::SerialPortInfo& port = ports_[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
        case Device: return QString::fromStdString(port.path);
        case Ports: {
            QStringList numbers;
            for (const int n : port.ports) numbers << QString::number(n);
            return numbers.join(", ");
        }
        case ById: return QString::fromStdString(port.byId);
        case Usb: {
            if (!port.usb) return {};
            QString text = QString::fromStdString(port.usb->vendor + ":" + port.usb->product);
            if (!port.usb->description.empty())
                text += " " + QString::fromStdString(port.usb->description);
            if (!port.usb->serial.empty())
                text += " (serial " + QString::fromStdString(port.usb->serial) + ")";
            return text;
        }
        case Access: return accessText(port);
        default: return {};
    }
}

QVariant PortListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Device", "Port", "By-id name", "USB", "Access"};
    return section >= 0 && section < ColumnCount ? names[section] : QVariant();
}
