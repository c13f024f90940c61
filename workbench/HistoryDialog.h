#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "kvcom3/Journal.h"

class QPushButton;
class QTableWidget;

// The journal of the connected sensor, newest operation first: id, time (UTC), program,
// operation, bytes and whether it was done or interrupted; "Undo selected" asks for the chosen
// one to be put back.
class HistoryDialog : public QDialog {
    Q_OBJECT

  public:
    explicit HistoryDialog(const std::vector<kvcom3::JournalOperation>& operations,
                           QWidget* parent = nullptr);

    QTableWidget* table;
    QPushButton* undoButton;

  signals:
    void undoRequested(std::int64_t operation);
};
