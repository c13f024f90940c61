#pragma once

#include <QWidget>

#include "ConnectionChoice.h"
#include "kvcom3/PortScan.h"

class PortListModel;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

// Where the sensor is: the machine's ports to pick a device from (or a path typed in, such as
// the virtual sensor's pseudo-terminal), the port number it is bound to, protocol, address,
// production board and position; Connect and Disconnect.
class ConnectPanel : public QWidget {
    Q_OBJECT

  public:
    explicit ConnectPanel(kvcom3::ScanRoots roots = {}, QWidget* parent = nullptr);

    ConnectionChoice choice() const;
    void setChoice(const ConnectionChoice& choice);
    // Connected: the choice is fixed and only Disconnect is offered. Busy: neither button.
    void setState(bool connected, bool busy);

    PortListModel* portList;
    QTableView* portTable;
    QLineEdit* device;
    QSpinBox* port;
    QComboBox* protocol;
    QSpinBox* id;
    QSpinBox* board;
    QSpinBox* position;
    QPushButton* connectButton;
    QPushButton* disconnectButton;

  signals:
    void connectClicked();
    void disconnectClicked();

  private:
    void takeSelectedDevice();
};
