// The hex view and the "Sensor" menu against the virtual sensor: bytes changed since a backup
// are highlighted, a restore shows them and writes them back only when confirmed, and undo puts
// an operation back or refuses when its bytes changed since.
#include <QLabel>
#include <QTemporaryDir>

#include "HexModel.h"
#include "HexPanel.h"
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
}

TEST_F(SafetyWorkbench, UndoPutsBackTheNewestOperationAndRefusesWhenItsBytesChangedSince) {
    const int original = peek(kFirst);
    poke(kFirst, static_cast<std::uint8_t>(original ^ 0x0F), "first change");
    poke(kFirst, static_cast<std::uint8_t>(original ^ 0xF0), "second change");
    SafetyMenu& menu = *window->safetyMenu;

    // The first change's byte holds the second's value: the undo is refused, nothing written.
    std::vector<kvcom3::JournalOperation> operations =
        kvcom3::journalOperations(kvcom3::readJournal(kvcom3::journalFile(
            kvcom3::defaultJournalDirectory(), kvcom3::journalSensor(level()))));
    ASSERT_EQ(operations.size(), 2u);
    answer("undoConfirmation", "Yes");
    answer("undoRefused", "Cancel");
    EXPECT_FALSE(menu.undo(operations.front().id));
    EXPECT_EQ(message(), "Undo: 1 bytes changed since operation " +
                             std::to_string(operations.front().id) + "; nothing written");
    EXPECT_EQ(peek(kFirst), original ^ 0xF0);

    // Undo after undo goes further back.
    for (const int expected : {original ^ 0x0F, original}) {
        answer("undoConfirmation", "Yes");
        menu.undoAction->trigger();
        EXPECT_TRUE(window->messageLabel->text().endsWith("undone: 1 bytes put back")) << message();
        EXPECT_EQ(peek(kFirst), expected);
    }
    EXPECT_EQ(answered.size(), 4);
}

}  // namespace
