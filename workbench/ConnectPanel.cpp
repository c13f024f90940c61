#include "ConnectPanel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "PortListModel.h"

namespace {

QSpinBox* spinBox(int low, int high, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(low, high);
    return box;
}

}  // namespace

ConnectPanel::ConnectPanel(kvcom3::ScanRoots roots, QWidget* parent) : QWidget(parent) {
    portList = new PortListModel(std::move(roots), this);
    portTable = new QTableView(this);
    portTable->setModel(portList);
    portTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    portTable->setSelectionMode(QAbstractItemView::SingleSelection);
    portTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    portTable->horizontalHeader()->setStretchLastSection(true);
    portTable->verticalHeader()->setVisible(false);
    auto* rescan = new QPushButton("Scan again", this);

    device = new QLineEdit(this);
    device->setPlaceholderText("the port number's own device");
    port = spinBox(0, kMaxPort, this);
    protocol = new QComboBox(this);
    protocol->addItems({"KVBUS", "Modbus RTU"});
    id = spinBox(-1, kMaxId, this);
    id->setSpecialValueText("any sensor");
    board = spinBox(0, kMaxBoard, this);
    board->setSpecialValueText("none");
    position = spinBox(0, kMaxPosition, this);
    position->setSpecialValueText("none");
    connectButton = new QPushButton("Connect", this);
    disconnectButton = new QPushButton("Disconnect", this);
    connectButton->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow("Device", device);
    form->addRow("Port number", port);
    form->addRow("Protocol", protocol);
    form->addRow("Address", id);
    form->addRow("Production board", board);
    form->addRow("Position on the board", position);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(rescan);
    buttons->addStretch();
    buttons->addWidget(connectButton);
    buttons->addWidget(disconnectButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(portTable, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(rescan, &QPushButton::clicked, portList, &PortListModel::refresh);
    connect(portTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ConnectPanel::takeSelectedDevice);
    connect(connectButton, &QPushButton::clicked, this, &ConnectPanel::connectClicked);
    connect(disconnectButton, &QPushButton::clicked, this, &ConnectPanel::disconnectClicked);
    setState(false, false);
}

void ConnectPanel::takeSelectedDevice() {
    const QModelIndexList rows = portTable->selectionModel()->selectedRows();
    if (!rows.isEmpty()) device->setText(portList->device(rows.first().row()));
}

ConnectionChoice ConnectPanel::choice() const {
    ConnectionChoice c;
    c.device = device->text().trimmed();
    c.port = port->value();
    c.modbus = protocol->currentIndex() == 1;
    c.id = id->value();
    c.board = board->value();
    c.position = position->value();
    return c;
}

void ConnectPanel::setChoice(const ConnectionChoice& c) {
    device->setText(c.device);
    port->setValue(c.port);
    protocol->setCurrentIndex(c.modbus ? 1 : 0);
    id->setValue(c.id);
    board->setValue(c.board);
    position->setValue(c.position);
}

void ConnectPanel::setState(bool connected, bool busy) {
    for (QWidget* input :
         std::initializer_list<QWidget*>{portTable, device, port, protocol, id, board, position})
        input->setEnabled(!connected && !busy);
    connectButton->setEnabled(!connected && !busy);
    disconnectButton->setEnabled(connected && !busy);
}
