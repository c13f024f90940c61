// The hex view and the "Sensor" menu against the virtual sensor: bytes changed since a backup
// are highlighted, a restore shows them and writes them back only when confirmed, and undo puts
// an operation back or refuses when its bytes changed since.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include "HexModel.h"
#include "HexPanel.h"
#include "HistoryDialog.h"
#include "SafetyMenu.h"
#include "SafetyTest.h"

namespace {

using wbtest::SafetyWorkbench;

constexpr std::int32_t kFirst = 0x300;
constexpr std::int32_t kSecond = 0x30F;

TEST_F(SafetyWorkbench, HexViewHighlightsChangesSinceABackupAndRestoreWritesThemBack) {
    QTemporaryDir files;
    const QString backupFile = files.filePath("sensor.kvbackup");
    SafetyMenu& menu = *window->safetyMenu;
    menu.chooseFile = [&](const QString&, bool) { return backupFile; };
    menu.backupAction->trigger();
    ASSERT_TRUE(message().starts_with("Backup " + backupFile.toStdString())) << message();
    const int first = peek(kFirst);
    const int second = peek(kSecond);
    poke(kFirst, static_cast<std::uint8_t>(first ^ 0x5A), "change one");
    poke(kSecond, static_cast<std::uint8_t>(second ^ 0x01), "change two");

    HexPanel& hex = *window->hexPanel;
    ASSERT_EQ(hex.memory(), kvcom3::kvEEPROM);
    ASSERT_TRUE(hex.compareWithBackup(backupFile)) << message();
    EXPECT_EQ(hex.model->differenceCount(), 2u);
    for (const std::int32_t address : {kFirst, kSecond}) {
        const QModelIndex cell = hex.model->indexOf(static_cast<std::size_t>(address));
        EXPECT_TRUE(cell.data(Qt::BackgroundRole).isValid()) << address;
        EXPECT_TRUE(cell.data(Qt::ToolTipRole).toString().contains("backup")) << address;
    }
    EXPECT_FALSE(hex.model->indexOf(kFirst + 1).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(hex.summary->text().toStdString(), "2048 bytes, 2 differ");

    // Declined: the two bytes were shown and nothing was written.
    answer("restoreConfirmation", {}, false);
    menu.restoreAction->trigger();
    EXPECT_EQ(message(), "Restore: nothing written");
    EXPECT_EQ(peek(kFirst), first ^ 0x5A);

    answer("restoreConfirmation", {});
    menu.restoreAction->trigger();
    EXPECT_EQ(message(), "Restore: 2 bytes written");
    EXPECT_EQ(answered.size(), 2);
    EXPECT_EQ(peek(kFirst), first);
    EXPECT_EQ(peek(kSecond), second);
    ASSERT_TRUE(hex.read());
    ASSERT_TRUE(hex.compareWithBackup(backupFile));
    EXPECT_EQ(hex.model->differenceCount(), 0u);
    const auto operations = kvcom3::journalOperations(kvcom3::readJournal(
        kvcom3::journalFile(journalDir.path().toStdString(), kvcom3::journalSensor(level()))));
    ASSERT_EQ(operations.size(), 3u);
    EXPECT_EQ(operations.back().records.front().operationText,
              "restore " + backupFile.toStdString());
    EXPECT_EQ(operations.back().records.front().program, "kvworkbench");
}

TEST_F(SafetyWorkbench, UndoPutsBackTheNewestOperationAndRefusesWhenItsBytesChangedSince) {
    const int original = peek(kFirst);
    poke(kFirst, static_cast<std::uint8_t>(original ^ 0x0F), "first change");
    poke(kFirst, static_cast<std::uint8_t>(original ^ 0xF0), "second change");
    SafetyMenu& menu = *window->safetyMenu;

    // Chosen in the history: the first change's byte holds the second's value, so the undo is
    // refused and nothing written.
    QStringList shown;
    answerWith("history", [&](QWidget& modal) {
        auto& history = static_cast<HistoryDialog&>(modal);
        for (int row = 0; row < history.table->rowCount(); ++row)
            shown << history.table->item(row, 3)->text();
        history.table->selectRow(1);
        history.undoButton->click();
        history.reject();
    });
    answer("undoConfirmation", "Yes");
    answer("undoRefused", "Cancel");
    menu.historyAction->trigger();
    EXPECT_EQ(shown, QStringList({"second change", "first change"}));
    EXPECT_TRUE(window->messageLabel->text().startsWith("Undo: 1 bytes changed since operation "))
        << message();
    EXPECT_TRUE(window->messageLabel->text().endsWith("; nothing written")) << message();
    EXPECT_EQ(peek(kFirst), original ^ 0xF0);

    // Undo after undo goes further back.
    for (const int expected : {original ^ 0x0F, original}) {
        answer("undoConfirmation", "Yes");
        menu.undoAction->trigger();
        EXPECT_TRUE(window->messageLabel->text().endsWith("undone: 1 bytes put back")) << message();
        EXPECT_EQ(peek(kFirst), expected);
    }
    EXPECT_EQ(answered.size(), 5);
}

}  // namespace
