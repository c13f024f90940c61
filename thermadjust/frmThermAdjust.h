#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "kvcal3/ISensCalibration.h"
#include "kvcom3/DeviceReturn.h"
#include "kvcom3/ISensMem.h"

class QLabel;
class QPushButton;
class QTimer;
class frmSelectPort;

// The main window: the sensor's temperature and serial number every two seconds, and "Change" to
// correct the temperature. All sensor work happens in the timer's tick; buttons and window events
// only set the requests the next tick serves.
class frmThermAdjust : public QWidget {
    Q_OBJECT

  public:
    // Asks the user for a text; nothing when cancelled.
    using InputBox = std::function<std::optional<QString>(const QString& prompt)>;

    explicit frmThermAdjust(frmSelectPort& selection, QWidget* parent = nullptr);
    ~frmThermAdjust() override;

    // Replaces the modal input box (tests answer it themselves).
    void setInputBox(InputBox inputBox) { inputBox_ = std::move(inputBox); }

    QLabel* lblTempL;
    QLabel* lblTemp;
    QLabel* Label1;
    QLabel* lblSN;
    QLabel* lblErr;
    QPushButton* btnChange;
    QPushButton* Command2;
    QTimer* Timer1;

  signals:
    // The close branch ran: the program ends.
    void programEnded();

  public slots:
    void Timer1_Timer();
    void btnChange_Click();
    void Command2_Click();

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    std::int16_t selectedPort() const;
    void connectBranch();
    void changeBranch();
    void closeBranch();
    void normalCycle();
    void showError(const QString& description);
    void showGone(const kvcom3::KvError& error);
    void showBack();

    frmSelectPort& selection_;
    InputBox inputBox_;
    std::shared_ptr<kvcom3::ISensMem> sensor_;
    std::unique_ptr<kvcal3::ISensCalibration> calibration_;
    bool connectRequest_ = false;
    bool changeRequest_ = false;
    bool closeRequest_ = false;
    bool errorLatched_ = false;
    // The sensor's serial device, looked for again when it went away in the middle of the cycle.
    std::optional<kvcom3::DeviceReturn> device_;
    // When the device went away; empty while it is there.
    QString goneSince_;
    bool inTick_ = false;
    // The close branch ran: the window closes for good and no tick runs any more.
    bool ended_ = false;
};
