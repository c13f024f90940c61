#include "HistoryDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

HistoryDialog::HistoryDialog(const std::vector<kvcom3::JournalOperation>& operations,
                             QWidget* parent)
    : QDialog(parent) {
    setObjectName("history");
    setWindowTitle("History");
    table = new QTableWidget(static_cast<int>(operations.size()), 6, this);
    table->setHorizontalHeaderLabels(
        {"Id", "Time (UTC)", "Program", "Operation", "Bytes", "State"});
    table->verticalHeader()->setVisible(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setStretchLastSection(true);
    int row = 0;
    for (auto it = operations.rbegin(); it != operations.rend(); ++it, ++row) {
        const kvcom3::JournalRecord& first = it->records.front();
        const QStringList cells{QString::number(it->id),
                                QString::fromStdString(first.time),
                                QString::fromStdString(first.program),
                                first.operationText.empty()
                                    ? QString("-")
                                    : QString::fromStdString(first.operationText),
                                QString::number(it->changes().size()),
                                it->done ? QString("done") : QString("interrupted")};
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
        table->item(row, 0)->setData(Qt::UserRole, QVariant::fromValue<qint64>(it->id));
    }
    table->resizeColumnsToContents();
    undoButton = new QPushButton("Undo selected", this);
    undoButton->setEnabled(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(undoButton, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(table, &QTableWidget::itemSelectionChanged, this,
            [this] { undoButton->setEnabled(!table->selectedItems().isEmpty()); });
    connect(undoButton, &QPushButton::clicked, this, [this] {
        const int selected = table->currentRow();
        if (selected >= 0)
            emit undoRequested(table->item(selected, 0)->data(Qt::UserRole).toLongLong());
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table, 1);
    layout->addWidget(buttons);
    resize(640, 360);
}
