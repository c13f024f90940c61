#include "HexPanel.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "Activity.h"
#include "HexModel.h"
#include "SensorConnection.h"
#include "kvcom3/Enums.h"
#include "kvcom3/SensorBackup.h"
#include "kvcom3/SensorRestore.h"
#include "kvcom3/clsAdressLevel.h"

namespace {

QString memoryText(std::uint8_t memory) {
    return memory == kvcom3::kvEEPROM ? "EEPROM" : "RAM";
}

std::vector<std::uint8_t> readMemory(SensorConnection& connection, std::uint8_t memory) {
    const auto level = connection.sensor()->AdressLevel();
    return kvcom3::readWholeMemory(*level, memory, level->MemSize(memory));
}

}  // namespace

HexPanel::HexPanel(SensorConnection& connection, Activity& activity, QWidget* parent)
    : QWidget(parent), connection_(connection), activity_(activity) {
    model = new HexModel(this);
    memoryChoice = new QComboBox(this);
    memoryChoice->addItem("EEPROM", kvcom3::kvEEPROM);
    memoryChoice->addItem("RAM", kvcom3::kvRAM);
    readButton = new QPushButton("Read", this);
    sensorButton = new QPushButton("Compare with sensor", this);
    backupButton = new QPushButton("Compare with backup...", this);
    summary = new QLabel(this);
    table = new QTableView(this);
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);

    auto* bar = new QHBoxLayout;
    bar->addWidget(memoryChoice);
    bar->addWidget(readButton);
    bar->addWidget(sensorButton);
    bar->addWidget(backupButton);
    bar->addWidget(summary, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(table, 1);

    connect(readButton, &QPushButton::clicked, this, &HexPanel::read);
    connect(sensorButton, &QPushButton::clicked, this, &HexPanel::compareWithSensor);
    connect(backupButton, &QPushButton::clicked, this, &HexPanel::chooseBackup);
    // The shown bytes belong to one memory: another choice starts empty.
    connect(memoryChoice, &QComboBox::currentIndexChanged, this, [this] {
        model->setBytes({});
        showSummary();
        updateState();
    });
    connect(&activity_, &Activity::busyChanged, this, &HexPanel::updateState);
    updateState();
}

std::uint8_t HexPanel::memory() const {
    return static_cast<std::uint8_t>(memoryChoice->currentData().toInt());
}

bool HexPanel::read() {
    if (!connection_.isOpen()) return false;
    std::vector<std::uint8_t> bytes;
    const bool ok = activity_.run("Reading the " + memoryText(memory()),
                                  [&] { bytes = readMemory(connection_, memory()); });
    if (ok) model->setBytes(std::move(bytes));
    showSummary();
    updateState();
    return ok;
}

bool HexPanel::compareWithSensor() {
    if (!connection_.isOpen() || model->bytes().empty()) return false;
    std::vector<std::uint8_t> now;
    const bool ok = activity_.run("Comparing with the sensor",
                                  [&] { now = readMemory(connection_, memory()); });
    if (ok) model->setReference(std::move(now), "sensor");
    showSummary();
    return ok;
}

bool HexPanel::compareWithBackup(const QString& path) {
    if (model->bytes().empty() && !read()) return false;
    kvcom3::SensorBackup backup;
    const bool ok = activity_.run("Comparing with " + path,
                                  [&] { backup = kvcom3::readSensorBackup(path.toStdString()); });
    if (ok)
        model->setReference(memory() == kvcom3::kvEEPROM ? backup.eeprom : backup.ram, "backup");
    showSummary();
    return ok;
}

void HexPanel::connectionChanged(bool) {
    model->setBytes({});
    showSummary();
    updateState();
}

void HexPanel::chooseBackup() {
    const QString path = QFileDialog::getOpenFileName(this, "Compare with backup", {},
                                                      "Backups (*.kvbackup);;All files (*)");
    if (!path.isEmpty()) compareWithBackup(path);
}

void HexPanel::showSummary() {
    if (model->bytes().empty()) {
        summary->clear();
        return;
    }
    QString text = QString("%1 bytes").arg(model->bytes().size());
    if (model->hasReference()) text += QString(", %1 differ").arg(model->differenceCount());
    summary->setText(text);
}

void HexPanel::updateState() {
    const bool ready = connection_.isOpen() && !activity_.busy();
    memoryChoice->setEnabled(!activity_.busy());
    readButton->setEnabled(ready);
    sensorButton->setEnabled(ready && !model->bytes().empty());
    backupButton->setEnabled(ready);
}
