#include "kvcal3/ui/frmShowReading.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <utility>

#include "kvcal3/ui/ReadingPlot.h"

namespace kvcal3::ui {

namespace {

// The form is laid out in twips, 15 to a pixel.
QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QLabel* label(QWidget* parent, const char* text, QRect geometry) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setGeometry(geometry);
    return l;
}

}  // namespace

frmShowReading::frmShowReading(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Form1"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(twips(0, 0, 4680, 3975).size());
    Label4 = label(this, kReadingPromptDesignText, twips(45, 330, 4575, 195));
    Label1 = label(this, kReadingWaitText, twips(45, 570, 4575, 195));
    Label3 = label(this, kReadingChooseText, twips(45, 810, 4575, 195));
    Label2 = label(this, "", twips(60, 1140, 4575, 225));
    Picture1 = new ReadingPlot(this);
    Picture1->setGeometry(twips(728, 1470, 3195, 1575));
    Command1 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setGeometry(twips(758, 3330, 1245, 315));
    Command2 = new QPushButton(QStringLiteral("Next"), this);
    Command2->setGeometry(twips(2708, 3330, 1245, 315));
    Timer1 = new QTimer(this);

    // Enter means Next even while Cancel has the focus.
    Command1->setAutoDefault(false);
    Command2->setDefault(true);

    connect(Command1, &QPushButton::clicked, this, &frmShowReading::reject);
    connect(Command2, &QPushButton::clicked, this, &frmShowReading::accept);
    connect(Timer1, &QTimer::timeout, this, &frmShowReading::Tick);
}

void frmShowReading::Clear() {
    history_.Clear();
    Picture1->Cls();
    blnCancelPressed = false;
}

void frmShowReading::reject() {
    // Escape and the window's close end here too: only Next lets the calibration go ahead.
    blnCancelPressed = true;
    QDialog::reject();
}

void frmShowReading::showEvent(QShowEvent* event) {
    blnCancelPressed = false;
    QDialog::showEvent(event);
}

ReadingChoice frmShowReading::ShowModal(const QString& prompt, RawSignalReader readRawSignal) {
    reader_ = std::move(readRawSignal);
    failure_ = nullptr;
    Label4->setText(prompt);
    Clear();
    Timer1->start(1);
    exec();
    Timer1->stop();
    reader_ = nullptr;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return blnCancelPressed ? ReadingChoice::Cancel : ReadingChoice::Next;
}

void frmShowReading::Tick() {
    // A read lets window events run; a tick that arrives meanwhile is dropped, not nested.
    if (reading_ || !reader_) return;
    Timer1->setInterval(static_cast<int>(ReadingRefresh.count()));
    reading_ = true;
    float v = 0;
    try {
        v = reader_();
    } catch (...) {
        reading_ = false;
        failure_ = std::current_exception();
        Timer1->stop();
        hide();
        return;
    }
    reading_ = false;
    Label2->setText(QString::fromStdString(rawSignalText(v)));
    history_.Add(v);
    Picture1->Show(history_);
}

}  // namespace kvcal3::ui
