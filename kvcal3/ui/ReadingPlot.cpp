#include "kvcal3/ui/ReadingPlot.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

namespace kvcal3::ui {

// The chart is handed to the view at once: a chart set later would leave the view's own first
// chart to nobody.
ReadingPlot::ReadingPlot(QWidget* parent) : QChartView(new QChart, parent) {
    QChart* chart = this->chart();
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0);
    series_ = new QLineSeries(chart);
    chart->addSeries(series_);
    // After adding: the chart's theme would paint over it.
    series_->setPen(QPen(QColor(0, 0, 255)));
    xAxis_ = new QValueAxis(chart);
    xAxis_->setRange(0, ReadingHistory::kSize);
    xAxis_->setLabelFormat("%d");
    yAxis_ = new QValueAxis(chart);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    series_->attachAxis(xAxis_);
    series_->attachAxis(yAxis_);
    setAxesVisible(false);
}

void ReadingPlot::setAxesVisible(bool visible) {
    xAxis_->setVisible(visible);
    yAxis_->setVisible(visible);
    // Bare, the line fills the widget as the picture box's did.
    chart()->setMargins(visible ? QMargins(6, 6, 6, 6) : QMargins());
    chart()->layout()->setContentsMargins(0, 0, 0, 0);
}

void ReadingPlot::Show(const ReadingHistory& history) {
    QList<QPointF> points;
    const auto& readings = history.Readings();
    for (int i = 0; i < ReadingHistory::kSize; ++i)
        if (i >= ReadingHistory::kSize - history.Count())
            points.append(QPointF(i, readings[static_cast<std::size_t>(i)]));
    yAxis_->setRange(history.Min(), history.Max());
    series_->replace(points);
    lines_ = history.Lines(width(), height());
}

void ReadingPlot::Cls() {
    series_->clear();
    lines_.clear();
}

}  // namespace kvcal3::ui
