#pragma once

#include <QDockWidget>

class FrameLogModel;
class QPushButton;
class QTableView;
class SensorConnection;

// A dockable pane with every frame the library sends or receives, decoded for the protocol of
// the connection; Pause stops taking frames, Clear empties the log, Save as text writes it out.
// The pane is the library's one frame observer while it exists.
class FrameLogPane : public QDockWidget {
    Q_OBJECT

  public:
    explicit FrameLogPane(const SensorConnection& connection, QWidget* parent = nullptr);
    ~FrameLogPane() override;

    // Writes the log as text to `path`; false, with nothing half written left there, when that
    // failed (the message says why).
    bool saveAs(const QString& path, QString* message = nullptr);

    FrameLogModel* model;
    QTableView* table;
    QPushButton* pauseButton;
    QPushButton* clearButton;
    QPushButton* saveButton;

  private:
    void chooseFileAndSave();
};
