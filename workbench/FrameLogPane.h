#pragma once

#include <QDockWidget>
#include <QTimer>
#include <vector>

#include "FrameLogModel.h"

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
    // Shows the frames taken since the last showing; the pane does so by itself 5 times a second.
    void flush();
    // Empties the log, the frames not shown yet too.
    void clear();

    FrameLogModel* model;
    QTableView* table;
    QPushButton* pauseButton;
    QPushButton* clearButton;
    QPushButton* saveButton;

  private:
    void chooseFileAndSave();

    // Frames arrive in the middle of a transfer: they are only kept there, and decoded and shown
    // between transfers' bytes, a batch at a time, so the log does not slow the line down.
    std::vector<FrameLogModel::Seen> pending_;
    QTimer flushTimer_;
};
