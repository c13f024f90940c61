#include "SafetyMenu.h"

#include <QAction>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <stdexcept>

#include "Activity.h"
#include "BackupDiffDialog.h"
#include "HistoryDialog.h"
#include "SensorConnection.h"
#include "kvcom3/Enums.h"
#include "kvcom3/SensorBackup.h"
#include "kvcom3/SensorRestore.h"
#include "kvcom3/clsAdressLevel.h"

namespace {

QString conflictText(const kvcom3::JournalUndo& result, std::int64_t operation) {
    QStringList lines;
    for (const auto& c : result.conflicts)
        lines << QString("EEPROM %1 holds %2, operation %3 left %4")
                     .arg(c.address)
                     .arg(c.now)
                     .arg(operation)
                     .arg(c.left);
    return lines.join('\n');
}

}  // namespace

SafetyMenu::SafetyMenu(QMainWindow& window, SensorConnection& connection, Activity& activity)
    : QObject(&window), window_(window), connection_(connection), activity_(activity) {
    chooseFile = [this](const QString& caption, bool save) {
        const QString filter = "Backups (*.kvbackup);;All files (*)";
        return save ? QFileDialog::getSaveFileName(&window_, caption, "sensor.kvbackup", filter)
                    : QFileDialog::getOpenFileName(&window_, caption, {}, filter);
    };
    menu = window.menuBar()->addMenu("&Sensor");
    backupAction = menu->addAction("&Backup...", this, &SafetyMenu::backup);
    restoreAction = menu->addAction("&Restore...", this, &SafetyMenu::restore);
    diffAction = menu->addAction("&Diff with backup...", this, &SafetyMenu::diffWithBackup);
    menu->addSeparator();
    historyAction = menu->addAction("&History", this, &SafetyMenu::history);
    undoAction = menu->addAction("&Undo", this, &SafetyMenu::undoLast);
    connect(&activity_, &Activity::busyChanged, this, &SafetyMenu::updateState);
    connect(menu, &QMenu::aboutToShow, this, &SafetyMenu::updateState);
    updateState();
}

bool SafetyMenu::backup() {
    if (!connection_.isOpen()) return false;
    const QString path = chooseFile("Backup of the sensor", true);
    if (path.isEmpty()) return false;
    kvcom3::SensorBackup b;
    const bool ok = activity_.run("Backup", [&] {
        b = kvcom3::takeSensorBackup(*connection_.sensor()->AdressLevel(), "kvworkbench");
        kvcom3::writeSensorBackup(path.toStdString(), b);
    });
    if (ok)
        activity_.showMessage(QString("Backup %1: %2 bytes EEPROM, %3 bytes RAM")
                                  .arg(path)
                                  .arg(b.eeprom.size())
                                  .arg(b.ram.size()));
    return ok;
}

bool SafetyMenu::restore() {
    if (!connection_.isOpen()) return false;
    const QString path = chooseFile("Restore a backup", false);
    if (path.isEmpty()) return false;
    kvcom3::BackupComparison c;
    std::vector<std::int32_t> addresses;
    if (!activity_.run("Comparing with " + path, [&] {
            c = kvcom3::compareWithBackup(*connection_.sensor()->AdressLevel(), path.toStdString());
            addresses = kvcom3::restoreAddresses(c.backup, c.sensor, c.now);
        }))
        return false;
    if (addresses.empty()) {
        activity_.showMessage("Restore: the sensor's EEPROM already holds the backup");
        return true;
    }
    BackupDiffDialog dialog(addresses, c.backup.eeprom, c.now, BackupDiffDialog::Restore, &window_);
    if (c.backup.sensor.serial != c.sensor.serial)
        dialog.setNote(QString("The backup is of serial number %1, the sensor's is %2; the "
                               "sensor keeps its own.")
                           .arg(c.backup.sensor.serial)
                           .arg(c.sensor.serial));
    if (dialog.exec() != QDialog::Accepted) {
        activity_.showMessage("Restore: nothing written");
        return false;
    }
    const bool ok = activity_.run("Restore", [&] {
        kvcom3::setJournalOperation("restore " + path.toStdString());
        kvcom3::writeBackupBytes(*connection_.sensor()->AdressLevel(), c.backup, addresses);
    });
    if (ok) activity_.showMessage(QString("Restore: %1 bytes written").arg(addresses.size()));
    return ok;
}

bool SafetyMenu::diffWithBackup() {
    if (!connection_.isOpen()) return false;
    const QString path = chooseFile("Diff with a backup", false);
    if (path.isEmpty()) return false;
    kvcom3::BackupComparison c;
    std::vector<std::int32_t> addresses;
    if (!activity_.run("Comparing with " + path, [&] {
            c = kvcom3::compareWithBackup(*connection_.sensor()->AdressLevel(), path.toStdString());
            for (std::size_t a = 0; a < c.now.size() && a < c.backup.eeprom.size(); ++a)
                if (c.now[a] != c.backup.eeprom[a]) addresses.push_back(static_cast<int>(a));
        }))
        return false;
    activity_.showMessage(
        QString("%1 EEPROM bytes differ from %2").arg(addresses.size()).arg(path));
    BackupDiffDialog dialog(addresses, c.backup.eeprom, c.now, BackupDiffDialog::Show, &window_);
    dialog.exec();
    return true;
}

bool SafetyMenu::loadOperations(std::vector<kvcom3::JournalOperation>& operations) {
    if (!connection_.isOpen()) return false;
    return activity_.run("Reading the journal", [&] {
        const auto sensor = kvcom3::journalSensor(*connection_.sensor()->AdressLevel());
        const auto file = kvcom3::journalFile(kvcom3::defaultJournalDirectory(), sensor);
        operations = kvcom3::journalOperations(kvcom3::readJournal(file));
    });
}

void SafetyMenu::history() {
    std::vector<kvcom3::JournalOperation> operations;
    if (!loadOperations(operations)) return;
    HistoryDialog dialog(operations, &window_);
    connect(&dialog, &HistoryDialog::undoRequested, this, [this, &dialog](std::int64_t id) {
        if (undo(id)) dialog.accept();
    });
    dialog.exec();
}

bool SafetyMenu::undoLast() {
    std::vector<kvcom3::JournalOperation> operations;
    if (!loadOperations(operations)) return false;
    const kvcom3::JournalOperation* operation = kvcom3::newestUndoable(operations);
    if (!operation) {
        activity_.showMessage("Undo: nothing to undo");
        return false;
    }
    return undoOperation(*operation);
}

bool SafetyMenu::undo(std::int64_t id) {
    std::vector<kvcom3::JournalOperation> operations;
    if (!loadOperations(operations)) return false;
    const auto found = std::find_if(operations.begin(), operations.end(),
                                    [id](const auto& op) { return op.id == id; });
    if (found == operations.end()) {
        activity_.showMessage(QString("Undo: no operation %1").arg(id));
        return false;
    }
    return undoOperation(*found);
}

bool SafetyMenu::undoOperation(const kvcom3::JournalOperation& operation) {
    const auto& first = operation.records.front();
    QMessageBox ask(
        QMessageBox::Question, "Undo",
        QString("Put back the %1 bytes of operation %2 (%3, %4)?")
            .arg(operation.changes().size())
            .arg(operation.id)
            .arg(QString::fromStdString(first.operationText), QString::fromStdString(first.time)),
        QMessageBox::Yes | QMessageBox::Cancel, &window_);
    ask.setObjectName("undoConfirmation");
    if (ask.exec() != QMessageBox::Yes) return false;
    bool force = false;
    for (;;) {
        kvcom3::JournalUndo result;
        const bool ok = activity_.run(QString("Undo %1").arg(operation.id), [&] {
            const auto level = connection_.sensor()->AdressLevel();
            kvcom3::requireSameSensor(operation, kvcom3::journalSensor(*level));
            kvcom3::setJournalOperation(kvcom3::undoOperationText(operation.id));
            result = kvcom3::undoJournalOperation(*level, operation, force);
        });
        if (!ok) return false;
        if (result.conflicts.empty() || force) {
            activity_.showMessage(QString("Operation %1 undone: %2 bytes put back")
                                      .arg(operation.id)
                                      .arg(result.restored));
            return true;
        }
        const QString refusal = QString("%1 bytes changed since operation %2; nothing written")
                                    .arg(result.conflicts.size())
                                    .arg(operation.id);
        activity_.showMessage("Undo: " + refusal);
        QMessageBox refused(QMessageBox::Warning, "Undo", refusal, QMessageBox::Cancel, &window_);
        refused.setObjectName("undoRefused");
        refused.setDetailedText(conflictText(result, operation.id));
        QPushButton* anyway = refused.addButton("Write anyway", QMessageBox::DestructiveRole);
        refused.exec();
        if (refused.clickedButton() != anyway) return false;
        force = true;
    }
}

void SafetyMenu::updateState() {
    const bool ready = connection_.isOpen() && !activity_.busy();
    for (QAction* action : menu->actions()) action->setEnabled(ready);
}
