#pragma once

#include <QMainWindow>
#include <memory>

#include "ConnectionChoice.h"
#include "SensorConnection.h"
#include "kvcom3/PortScan.h"

class Activity;
class CalibrationPanel;
class ConnectPanel;
class FrameLogPane;
class HexPanel;
class LostSensorNotice;
class MemoryPanel;
class ObjectsPanel;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class SafetyMenu;
class ScopePanel;

// The workbench window: the panels in tabs, and a status bar with the connected sensor's
// identity, the running operation's progress with Cancel, and the last message.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(kvcom3::ScanRoots roots = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Connects to the panel's choice and remembers it; false when that failed (the message line
    // says why).
    bool connectSensor();
    // Connects to `choice`, shown in the panel first.
    bool connectTo(const ConnectionChoice& choice);
    void disconnectSensor();

    SensorConnection& connection() { return connection_; }
    Activity& activity() { return *activity_; }

    QTabWidget* tabs;
    ConnectPanel* connectPanel;
    ObjectsPanel* objectsPanel;
    MemoryPanel* memoryPanel;
    HexPanel* hexPanel;
    FrameLogPane* frameLog;
    SafetyMenu* safetyMenu;
    LostSensorNotice* lostNotice;
    CalibrationPanel* calibrationPanel;
    ScopePanel* scopePanel;
    QLabel* identityLabel;
    QLabel* messageLabel;
    QProgressBar* progressBar;
    QPushButton* cancelButton;

  signals:
    // The sensor was connected or disconnected.
    void connectionChanged(bool connected);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void updateState();

    SensorConnection connection_;
    Activity* activity_;
    bool closePending_ = false;
};
