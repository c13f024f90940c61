#pragma once

#include <QWidget>
#include <cstdint>

class Activity;
class HexModel;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class SensorConnection;

// RAM or EEPROM in hexadecimal: Read takes the whole memory from the sensor (progress and
// Cancel in the status bar); the bytes that differ from the sensor read again, or from a backup
// file, are highlighted.
class HexPanel : public QWidget {
    Q_OBJECT

  public:
    HexPanel(SensorConnection& connection, Activity& activity, QWidget* parent = nullptr);

    // The memory chosen: kvRAM or kvEEPROM.
    std::uint8_t memory() const;

    HexModel* model;
    QComboBox* memoryChoice;
    QTableView* table;
    QPushButton* readButton;
    QPushButton* sensorButton;
    QPushButton* backupButton;
    QLabel* summary;

  public slots:
    // Each false when it failed or was cancelled; the status line says why.
    bool read();
    bool compareWithSensor();
    bool compareWithBackup(const QString& path);
    void connectionChanged(bool connected);

  private:
    void chooseBackup();
    void showSummary();
    void updateState();

    SensorConnection& connection_;
    Activity& activity_;
};
