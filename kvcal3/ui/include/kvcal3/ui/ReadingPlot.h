#pragma once

#include <QWidget>
#include <vector>

#include "kvcal3/ReadingDisplay.h"

namespace kvcal3::ui {

// The picture box of the reading display: draws the history's lines in blue on white.
class ReadingPlot : public QWidget {
    Q_OBJECT
  public:
    explicit ReadingPlot(QWidget* parent = nullptr);

    // Takes the lines of the history, scaled to the plot's present size.
    void Show(const ReadingHistory& history);
    // Clears the picture.
    void Cls();
    const std::vector<PlotLine>& Lines() const { return lines_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<PlotLine> lines_;
};

}  // namespace kvcal3::ui
