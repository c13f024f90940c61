#pragma once

#include <QWidget>

class Activity;
class MemoryMapModel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class SensorConnection;

// The sensor's memory map as a table with a filter; "Read memory" reads the whole RAM and EEPROM
// (and every Modbus register cell of the map) from the sensor with progress and Cancel, and the
// values appear beside their cells.
class MemoryPanel : public QWidget {
    Q_OBJECT

  public:
    MemoryPanel(SensorConnection& connection, Activity& activity, QWidget* parent = nullptr);

    MemoryMapModel* model;
    QSortFilterProxyModel* filter;
    QTableView* table;
    QLineEdit* search;
    QPushButton* readButton;

  public slots:
    // Builds the map if needed and reads the memory; false when that failed or was cancelled.
    bool readMemory();
    void connectionChanged(bool connected);

  private:
    void updateState();

    SensorConnection& connection_;
    Activity& activity_;
};
