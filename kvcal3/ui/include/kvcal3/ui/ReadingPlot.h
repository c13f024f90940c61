#pragma once

#include <QChartView>
#include <vector>

#include "kvcal3/ReadingDisplay.h"

class QLineSeries;
class QValueAxis;

namespace kvcal3::ui {

// The plot of the reading display, drawn by Qt Charts: the readings of a history that arrived
// since it was cleared, in blue on white, reading i of the window at x = i, on the history's
// scale. Bare, as the display's picture box, or with its axes where there is room for them.
class ReadingPlot : public QChartView {
    Q_OBJECT
  public:
    explicit ReadingPlot(QWidget* parent = nullptr);

    // Takes the readings and the scale of the history.
    void Show(const ReadingHistory& history);
    // Clears the picture.
    void Cls();
    // Shows the axes with their numbers, or the bare line that fills the plot.
    void setAxesVisible(bool visible);

    // The history's lines at the plot's present size, as shown.
    const std::vector<PlotLine>& Lines() const { return lines_; }
    QLineSeries* series() const { return series_; }

  private:
    QLineSeries* series_;
    QValueAxis* xAxis_;
    QValueAxis* yAxis_;
    std::vector<PlotLine> lines_;
};

}  // namespace kvcal3::ui
