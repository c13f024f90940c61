#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

class QLabel;
class QTableWidget;

// The EEPROM bytes where a backup and the sensor differ, an address a row. To restore, it asks
// before anything is written; otherwise it only shows them.
class BackupDiffDialog : public QDialog {
    Q_OBJECT

  public:
    enum Mode { Show, Restore };

    BackupDiffDialog(const std::vector<std::int32_t>& addresses,
                     const std::vector<std::uint8_t>& backup, const std::vector<std::uint8_t>& now,
                     Mode mode, QWidget* parent = nullptr);

    // A line shown above the table, such as a serial number that differs.
    void setNote(const QString& text);

    QTableWidget* table;

  private:
    QLabel* note_;
};
