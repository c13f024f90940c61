#include "BackupDiffDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidgetItem* item(const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return cell;
}

QString hexByte(std::uint8_t byte) {
    return QString("%1").arg(byte, 2, 16, QChar('0')).toUpper();
}

}  // namespace

BackupDiffDialog::BackupDiffDialog(const std::vector<std::int32_t>& addresses,
                                   const std::vector<std::uint8_t>& backup,
                                   const std::vector<std::uint8_t>& now, Mode mode, QWidget* parent)
    : QDialog(parent) {
    setObjectName(mode == Restore ? "restoreConfirmation" : "backupDiff");
    setWindowTitle(mode == Restore ? "Restore" : "Diff with backup");
    auto* heading = new QLabel(
        mode == Restore ? QString("%1 EEPROM bytes differ from the backup and will be written:")
                              .arg(addresses.size())
                        : QString("%1 EEPROM bytes differ from the backup.").arg(addresses.size()),
        this);
    note_ = new QLabel(this);
    note_->setVisible(false);
    table = new QTableWidget(static_cast<int>(addresses.size()), 3, this);
    table->setHorizontalHeaderLabels({"Address", "Sensor", "Backup"});
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < table->rowCount(); ++row) {
        const auto a = static_cast<std::size_t>(addresses[static_cast<std::size_t>(row)]);
        table->setItem(row, 0, item(QString::number(a)));
        table->setItem(row, 1, item(hexByte(now[a])));
        table->setItem(row, 2, item(hexByte(backup[a])));
    }
    auto* buttons = new QDialogButtonBox(this);
    if (mode == Restore) {
        buttons->addButton(QString("Write %1 bytes").arg(addresses.size()),
                           QDialogButtonBox::AcceptRole);
        buttons->addButton(QDialogButtonBox::Cancel);
    } else {
        buttons->addButton(QDialogButtonBox::Close);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(note_);
    layout->addWidget(table, 1);
    layout->addWidget(buttons);
    resize(420, 360);
}

void BackupDiffDialog::setNote(const QString& text) {
    note_->setText(text);
    note_->setVisible(!text.isEmpty());
}
