#pragma once

#include <QDialog>
#include <exception>

#include "kvcal3/ReadingDisplay.h"
#include "kvcal3/UserInteraction.h"

class QLabel;
class QPushButton;
class QTimer;

namespace kvcal3::ui {

class ReadingPlot;

// The reading display: the step's prompt over the fixed instructions, the raw signal, a plot of
// the last ten readings, and Cancel and Next. A reading comes at once and then every two seconds.
class frmShowReading : public QDialog {
    Q_OBJECT
  public:
    explicit frmShowReading(QWidget* parent = nullptr);

    // Shows the display modally with `prompt` as its first line until Next or Cancel. An error
    // of the reader closes the display and is raised again here.
    ReadingChoice ShowModal(const QString& prompt, RawSignalReader readRawSignal);
    // Forgets the readings, clears the plot and the cancel choice.
    void Clear();
    const ReadingHistory& History() const { return history_; }

    bool blnCancelPressed = false;

    QLabel* Label4;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label2;
    ReadingPlot* Picture1;
    QPushButton* Command1;  // "Cancel"
    QPushButton* Command2;  // "Next"
    QTimer* Timer1;

  public slots:
    // One refresh: reads the signal, shows it and moves the plot on.
    void Tick();
    // Cancel: the button, Escape and the window's close.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    RawSignalReader reader_;
    ReadingHistory history_;
    std::exception_ptr failure_;
    bool reading_ = false;
};

}  // namespace kvcal3::ui
