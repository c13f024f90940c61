#include "ScopePanel.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "Activity.h"
#include "CellRuns.h"
#include "ObjectTreeModel.h"
#include "ScopeTableModel.h"
#include "SensorConnection.h"
#include "kvcom3/KvError.h"
#include "kvcom3/kvObjectNode.h"

namespace {

constexpr std::int32_t kCancelled = 32755;

void openFile(QFile& file, QIODevice::OpenMode mode) {
    if (!file.open(mode))
        kvcom3::raisePlatformError(!file.exists() && !(mode & QIODevice::WriteOnly)
                                       ? kvcom3::platform_error::FileNotFound
                                       : kvcom3::platform_error::PathFileAccess,
                                   (file.fileName() + ": " + file.errorString()).toStdString());
}

QString seriesName(const ScopeObject& object) {
    return object.unit.isEmpty() ? object.name : QString("%1 [%2]").arg(object.name, object.unit);
}

}  // namespace

ScopePanel::ScopePanel(SensorConnection& connection, Activity& activity, QWidget* parent)
    : QWidget(parent), connection_(connection), activity_(activity) {
    setAcceptDrops(true);
    model = new ScopeTableModel(this);
    table = new QTableView(this);
    table->setModel(model);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    auto* chart = new QChart;
    timeAxis_ = new QDateTimeAxis(chart);
    timeAxis_->setFormat("HH:mm:ss");
    valueAxis_ = new QValueAxis(chart);
    chart->addAxis(timeAxis_, Qt::AlignBottom);
    chart->addAxis(valueAxis_, Qt::AlignLeft);
    chartView = new QChartView(chart, this);
    chartView->setRenderHint(QPainter::Antialiasing);
    objectsLabel = new QLabel(this);
    objectsLabel->setWordWrap(true);
    interval = new QDoubleSpinBox(this);
    interval->setRange(0.1, 3600);
    interval->setDecimals(1);
    interval->setValue(1);
    interval->setSuffix(" s");
    startButton = new QPushButton("Start", this);
    stopButton = new QPushButton("Stop", this);
    clearButton = new QPushButton("Clear", this);
    openButton = new QPushButton("Open…", this);
    saveButton = new QPushButton("Save CSV…", this);
    pngButton = new QPushButton("Export PNG…", this);
    sampleTimer = new QTimer(this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel("Every", this));
    bar->addWidget(interval);
    bar->addWidget(startButton);
    bar->addWidget(stopButton);
    bar->addWidget(clearButton);
    bar->addStretch();
    bar->addWidget(openButton);
    bar->addWidget(saveButton);
    bar->addWidget(pngButton);
    auto* split = new QSplitter(this);
    split->addWidget(chartView);
    split->addWidget(table);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(objectsLabel);
    layout->addWidget(split, 1);

    connect(startButton, &QPushButton::clicked, this, &ScopePanel::start);
    connect(stopButton, &QPushButton::clicked, this, &ScopePanel::stop);
    connect(clearButton, &QPushButton::clicked, this, &ScopePanel::clear);
    connect(sampleTimer, &QTimer::timeout, this, &ScopePanel::sample);
    connect(interval, &QDoubleSpinBox::valueChanged, this,
            [this](double seconds) { sampleTimer->setInterval(static_cast<int>(seconds * 1000)); });
    connect(openButton, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, "Open a recording", {}, "CSV files (*.csv)");
        if (!path.isEmpty()) openCsv(path);
    });
    connect(saveButton, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, "Save the recording", {}, "CSV files (*.csv)");
        if (!path.isEmpty()) saveCsv(path);
    });
    connect(pngButton, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, "Export the plot", {}, "PNG images (*.png)");
        if (!path.isEmpty()) exportPng(path);
    });
    connect(&activity_, &Activity::busyChanged, this, &ScopePanel::updateState);
    updateState();
}

ScopePanel::~ScopePanel() = default;

bool ScopePanel::recording() const {
    return sampleTimer->isActive();
}

void ScopePanel::followFrom(QTreeView* tree) {
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setDragDropMode(QAbstractItemView::DragOnly);
    auto* add = new QAction("Add to scope", tree);
    tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    tree->addAction(add);
    connect(add, &QAction::triggered, this, [this, tree] {
        const std::unique_ptr<QMimeData> data(
            tree->model()->mimeData(tree->selectionModel()->selectedIndexes()));
        if (data) addFrom(*data);
    });
}

bool ScopePanel::addFrom(const QMimeData& data) {
    const QString keys = QString::fromUtf8(data.data(ObjectTreeModel::KeysMimeType));
    return addObjects(keys.split('\n', Qt::SkipEmptyParts));
}

bool ScopePanel::addObjects(const QStringList& keys) {
    const auto sensor = connection_.sensor();
    if (!sensor || keys.isEmpty()) return false;
    if (recording()) {
        activity_.showMessage("Stop the recording to change its objects");
        return false;
    }
    std::vector<ScopeObject> found;
    const bool ok = activity_.run("Adding to the scope", [&] {
        for (const QString& key : keys) {
            const auto node = sensor->ObjectLevel()->GetNode(key.toStdString());
            found.push_back({QString::fromStdString(node->Key()),
                             QString::fromStdString(node->Name()),
                             QString::fromStdString(node->Unit())});
        }
    });
    if (!ok) return false;
    for (const ScopeObject& object : found) model->addObject(object);
    rebuildChart();
    updateState();
    return true;
}

bool ScopePanel::start() {
    const auto sensor = connection_.sensor();
    if (!sensor || model->recording().objects().empty() || recording()) return false;
    std::vector<std::shared_ptr<kvcom3::kvObjectNode>> nodes;
    // A recording opened from a file goes on with the same objects of this sensor.
    const bool ok = activity_.run("Starting the scope", [&] {
        for (const ScopeObject& object : model->recording().objects())
            nodes.push_back(sensor->ObjectLevel()->GetNode(object.key.toStdString()));
    });
    if (!ok) return false;
    nodes_ = std::move(nodes);
    model->clearSamples();
    rebuildChart();
    sampleTimer->start(static_cast<int>(interval->value() * 1000));
    updateState();
    return sample();
}

void ScopePanel::stop() {
    sampleTimer->stop();
    updateState();
}

bool ScopePanel::sample() {
    // A round that finds the sensor busy is left out; the next one comes at its time.
    const auto sensor = connection_.sensor();
    if (activity_.busy() || nodes_.empty() || !sensor) return false;
    const bool ok = activity_.run("Scope", [&] {
        const auto checkCancel = [&] {
            if (activity_.cancelRequested())
                throw kvcom3::KvError(kCancelled, "Cancel was selected");
        };
        std::vector<kvcom3::kvObjectNode*> nodes;
        for (const auto& node : nodes_) nodes.push_back(node.get());
        // Objects whose cells lie side by side come in with one read a round.
        CellRuns runs(*sensor, nodes);
        runs.read(checkCancel);
        for (std::size_t i = 0; i < nodes_.size(); ++i) {
            checkCancel();
            const QString value =
                QString::fromStdString(nodes_[i]->Value(!runs.fresh(*nodes_[i])).toString());
            const ScopeRecording& r = model->recording();
            if (r.full() && r.samples().front().number)
                series_[static_cast<std::size_t>(r.samples().front().object)]->remove(0);
            model->add(QDateTime::currentDateTimeUtc(), static_cast<int>(i), value);
            plot(r.samples().back());
        }
    });
    rescale();
    if (!ok) stop();
    return ok;
}

void ScopePanel::clear() {
    stop();
    nodes_.clear();
    model->setRecording(ScopeRecording());
    rebuildChart();
    updateState();
}

bool ScopePanel::saveCsv(const QString& path) {
    return activity_.run("Saving " + path, [&] {
        QFile file(path);
        openFile(file, QIODevice::WriteOnly | QIODevice::Truncate);
        model->recording().writeCsv(file);
        if (!file.flush())
            kvcom3::raisePlatformError(kvcom3::platform_error::PathFileAccess,
                                       (path + ": " + file.errorString()).toStdString());
    });
}

bool ScopePanel::openCsv(const QString& path) {
    if (recording()) return false;
    ScopeRecording opened;
    const bool ok = activity_.run("Opening " + path, [&] {
        QFile file(path);
        openFile(file, QIODevice::ReadOnly);
        opened = ScopeRecording::readCsv(file);
    });
    if (!ok) return false;
    nodes_.clear();
    model->setRecording(std::move(opened));
    rebuildChart();
    updateState();
    return true;
}

bool ScopePanel::exportPng(const QString& path) {
    return activity_.run("Exporting " + path, [&] {
        if (!chartView->grab().save(path, "PNG"))
            kvcom3::raisePlatformError(kvcom3::platform_error::PathFileAccess, path.toStdString());
    });
}

void ScopePanel::connectionChanged(bool) {
    // The nodes belong to the sensor that went; the recording stays to be saved.
    stop();
    nodes_.clear();
    updateState();
}

void ScopePanel::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(ObjectTreeModel::KeysMimeType)) event->acceptProposedAction();
}

void ScopePanel::dropEvent(QDropEvent* event) {
    if (addFrom(*event->mimeData())) event->acceptProposedAction();
}

void ScopePanel::rebuildChart() {
    QChart* chart = chartView->chart();
    chart->removeAllSeries();
    series_.clear();
    for (const ScopeObject& object : model->recording().objects()) {
        auto* series = new QLineSeries(chart);
        series->setName(seriesName(object));
        chart->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(valueAxis_);
        series_.push_back(series);
    }
    for (const ScopeSample& sample : model->recording().samples()) plot(sample);
    rescale();
    QStringList names;
    for (const ScopeObject& object : model->recording().objects())
        names << QString("%1 (%2)").arg(object.name, object.key);
    objectsLabel->setText(names.isEmpty() ? "Drop objects here from the Objects tab"
                                          : "Following: " + names.join(", "));
}

void ScopePanel::plot(const ScopeSample& sample) {
    if (sample.number)
        series_[static_cast<std::size_t>(sample.object)]->append(
            static_cast<qreal>(sample.time.toMSecsSinceEpoch()), *sample.number);
}

void ScopePanel::rescale() {
    const auto& samples = model->recording().samples();
    if (samples.empty()) return;
    timeAxis_->setRange(samples.front().time.toLocalTime(), samples.back().time.toLocalTime());
    double low = 0;
    double high = 0;
    bool any = false;
    for (const ScopeSample& s : samples) {
        if (!s.number) continue;
        low = any ? std::min(low, *s.number) : *s.number;
        high = any ? std::max(high, *s.number) : *s.number;
        any = true;
    }
    if (!any) return;
    const double margin = high > low ? (high - low) * 0.05 : 1;
    valueAxis_->setRange(low - margin, high + margin);
}

void ScopePanel::updateState() {
    const bool busy = activity_.busy();
    const bool hasObjects = !model->recording().objects().empty();
    startButton->setEnabled(connection_.isOpen() && hasObjects && !recording() && !busy);
    stopButton->setEnabled(recording());
    clearButton->setEnabled(!busy);
    openButton->setEnabled(!recording() && !busy);
    saveButton->setEnabled(!busy && !model->recording().samples().empty());
    pngButton->setEnabled(!busy);
}
