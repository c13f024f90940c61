#include "FrameLogPane.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "FrameLogModel.h"
#include "SensorConnection.h"
#include "kvcom3/Trace.h"

FrameLogPane::FrameLogPane(const SensorConnection& connection, QWidget* parent)
    : QDockWidget("Frame log", parent) {
    setObjectName("frameLog");
    model = new FrameLogModel(20000, this);
    table = new QTableView(this);
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    // Fixed widths: sizing to the contents would look at every row of a long log.
    table->setColumnWidth(FrameLogModel::Time, 90);
    table->setColumnWidth(FrameLogModel::Direction, 80);
    table->setColumnWidth(FrameLogModel::Hex, 330);
    table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    pauseButton = new QPushButton("Pause", this);
    pauseButton->setCheckable(true);
    clearButton = new QPushButton("Clear", this);
    saveButton = new QPushButton("Save as text...", this);

    auto* content = new QWidget(this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(pauseButton);
    bar->addWidget(clearButton);
    bar->addWidget(saveButton);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(table, 1);
    setWidget(content);

    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(200);
    connect(&flushTimer_, &QTimer::timeout, this, &FrameLogPane::flush);
    connect(clearButton, &QPushButton::clicked, this, &FrameLogPane::clear);
    connect(saveButton, &QPushButton::clicked, this, &FrameLogPane::chooseFileAndSave);
    // The newest frame stays in view unless the user scrolled back to read older ones.
    connect(model, &FrameLogModel::rowsInserted, this, [this] {
        QScrollBar* bar = table->verticalScrollBar();
        if (bar->value() >= bar->maximum() - 1) table->scrollToBottom();
    });
    kvcom3::setFrameTrace([this, &connection](kvcom3::TraceDirection direction,
                                              std::span<const std::uint8_t> bytes, double seconds) {
        if (pauseButton->isChecked()) return;
        pending_.push_back({connection.choice().modbus ? kvcom3::FrameProtocol::Modbus
                                                       : kvcom3::FrameProtocol::Kvbus,
                            direction,
                            {bytes.begin(), bytes.end()},
                            seconds});
        if (!flushTimer_.isActive()) flushTimer_.start();
    });
}

void FrameLogPane::flush() {
    flushTimer_.stop();
    std::vector<FrameLogModel::Seen> batch;
    batch.swap(pending_);
    model->add(batch);
}

void FrameLogPane::clear() {
    flushTimer_.stop();
    pending_.clear();
    model->clear();
}

FrameLogPane::~FrameLogPane() {
    kvcom3::setFrameTrace({});
}

bool FrameLogPane::saveAs(const QString& path, QString* message) {
    flush();
    QSaveFile file(path);
    const QByteArray text = model->text().toUtf8();
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Text) &&
                    file.write(text) == text.size() && file.commit();
    if (message) *message = ok ? QString() : path + ": " + file.errorString();
    return ok;
}

void FrameLogPane::chooseFileAndSave() {
    const QString path = QFileDialog::getSaveFileName(this, "Save the frame log", "frames.txt",
                                                      "Text files (*.txt);;All files (*)");
    if (path.isEmpty()) return;
    QString message;
    if (!saveAs(path, &message)) QMessageBox::warning(this, "Frame log", message);
}
