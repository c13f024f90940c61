#include "kvcal3/ui/ReadingPlot.h"

#include <QPainter>
#include <QPen>

namespace kvcal3::ui {

ReadingPlot::ReadingPlot(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void ReadingPlot::Show(const ReadingHistory& history) {
    lines_ = history.Lines(width(), height());
    update();
}

void ReadingPlot::Cls() {
    lines_.clear();
    update();
}

void ReadingPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(QColor(0, 0, 255)));
    for (const PlotLine& line : lines_) {
        painter.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
    }
}

}  // namespace kvcal3::ui
