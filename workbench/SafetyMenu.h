#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "kvcom3/Journal.h"

class Activity;
class QAction;
class QMainWindow;
class QMenu;
class SensorConnection;

// The "Sensor" menu that keeps the EEPROM safe: Backup (the whole EEPROM and RAM into a file),
// Restore (the differing bytes back, after showing them), Diff with backup, History (the
// journal of this sensor) and Undo. Every write goes through the journal under its own
// operation text, so it can be undone in turn.
class SafetyMenu : public QObject {
    Q_OBJECT

  public:
    SafetyMenu(QMainWindow& window, SensorConnection& connection, Activity& activity);

    // Asks for a file: a backup to write (`save`) or to read. Empty when the user declined;
    // tests put their own answer here.
    std::function<QString(const QString& caption, bool save)> chooseFile;

    QMenu* menu;
    QAction* backupAction;
    QAction* restoreAction;
    QAction* diffAction;
    QAction* historyAction;
    QAction* undoAction;

  public slots:
    // Each false when it failed, was cancelled or declined; the status line says why.
    bool backup();
    bool restore();
    bool diffWithBackup();
    void history();
    // The newest operation that is no undo and was not undone yet.
    bool undoLast();
    bool undo(std::int64_t operation);

  private:
    // The operations of this sensor's journal, oldest first; nothing when it failed.
    bool loadOperations(std::vector<kvcom3::JournalOperation>& operations);
    bool undoOperation(const kvcom3::JournalOperation& operation);
    void updateState();

    QMainWindow& window_;
    SensorConnection& connection_;
    Activity& activity_;
};
