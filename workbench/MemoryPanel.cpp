#include "MemoryPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "Activity.h"
#include "MemoryMapModel.h"
#include "SensorConnection.h"
#include "kvcom3/Enums.h"
#include "kvcom3/KvError.h"

namespace {

constexpr std::int32_t kCancelled = 32755;

}  // namespace

MemoryPanel::MemoryPanel(SensorConnection& connection, Activity& activity, QWidget* parent)
    : QWidget(parent), connection_(connection), activity_(activity) {
    model = new MemoryMapModel(this);
    filter = new QSortFilterProxyModel(this);
    filter->setSourceModel(model);
    filter->setFilterKeyColumn(-1);
    filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    table = new QTableView(this);
    table->setModel(filter);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    search = new QLineEdit(this);
    search->setPlaceholderText("Filter: key, name, memory ...");
    search->setClearButtonEnabled(true);
    readButton = new QPushButton("Read memory", this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(search, 1);
    bar->addWidget(readButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(table, 1);

    connect(readButton, &QPushButton::clicked, this, &MemoryPanel::readMemory);
    connect(search, &QLineEdit::textChanged, filter, &QSortFilterProxyModel::setFilterFixedString);
    connect(&activity_, &Activity::busyChanged, this, &MemoryPanel::updateState);
    updateState();
}

bool MemoryPanel::readMemory() {
    const auto sensor = connection_.sensor();
    if (!sensor) return false;
    const bool ok = activity_.run("Reading the memory", [&] {
        if (!model->hasMap()) {
            try {
                model->setMap(sensor->ArrayLevel()->Nodes(), sensor->AdressLevel());
            } catch (...) {
                // A map built half way is dropped, not shown.
                sensor->ArrayLevel()->Clear();
                throw;
            }
        }
        // RAM and EEPROM are read in the largest blocks the protocol allows, over the span the
        // map's cells cover.
        std::map<std::uint8_t, std::pair<std::int32_t, std::int32_t>> spans;
        for (const kvcom3::kvArrayNode* cell : model->cells()) {
            if (cell->NrOfBytes() == 0) continue;
            const auto [it, added] =
                spans.try_emplace(cell->MemType(), cell->Adr(), cell->Adr() + cell->NrOfBytes());
            it->second.first = std::min(it->second.first, cell->Adr());
            it->second.second = std::max(it->second.second, cell->Adr() + cell->NrOfBytes());
        }
        const auto level = sensor->AdressLevel();
        for (const std::uint8_t memory : {kvcom3::kvRAM, kvcom3::kvEEPROM}) {
            const auto span = spans.find(memory);
            if (span == spans.end()) continue;
            const auto [first, end] = span->second;
            level->ReadFromSensor(first, end - first, memory, kvcom3::kvReadFromSensor);
        }
        // Register spaces have no size to read whole: their cells are read one by one, and the
        // bit fields that share a register with others take it from the first read.
        std::set<std::tuple<std::uint8_t, std::int32_t, std::int32_t>> read;
        for (const kvcom3::kvArrayNode* cell : model->cells()) {
            if (cell->NrOfBytes() == 0 ||
                (cell->MemType() != kvcom3::kvMBIR && cell->MemType() != kvcom3::kvMBHR))
                continue;
            if (!read.emplace(cell->MemType(), cell->Adr(), cell->NrOfBytes()).second) continue;
            if (activity_.cancelRequested())
                throw kvcom3::KvError(kCancelled, "Cancel was selected");
            cell->Value(true);
        }
    });
    // What arrived before a failure shows too.
    model->imageChanged();
    return ok;
}

void MemoryPanel::connectionChanged(bool) {
    model->setMap(nullptr, nullptr);
    updateState();
}

void MemoryPanel::updateState() {
    readButton->setEnabled(connection_.isOpen() && !activity_.busy());
}
