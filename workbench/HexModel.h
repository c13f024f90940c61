#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// One memory as rows of 16 bytes with the address in the row header, and beside each row its
// printable characters. Against a reference (the sensor read again, or a backup) the bytes that
// differ are highlighted and their tooltip tells both values.
class HexModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kPerRow = 16;
    // The column after the 16 bytes.
    static constexpr int Text = kPerRow;

    explicit HexModel(QObject* parent = nullptr);

    // The bytes shown; drops the reference.
    void setBytes(std::vector<std::uint8_t> bytes);
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // Compares against `reference`, named `source` in tooltips; nothing removes the comparison.
    void setReference(std::optional<std::vector<std::uint8_t>> reference, QString source = {});
    bool hasReference() const { return reference_.has_value(); }
    // Whether the byte at `address` differs from the reference; a byte the reference lacks
    // differs too.
    bool differs(std::size_t address) const;
    std::size_t differenceCount() const;
    // The cell that shows the byte at `address`.
    QModelIndex indexOf(std::size_t address) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::optional<std::size_t> addressOf(const QModelIndex& index) const;
    QString rowText(int row) const;

    std::vector<std::uint8_t> bytes_;
    std::optional<std::vector<std::uint8_t>> reference_;
    QString source_;
};
