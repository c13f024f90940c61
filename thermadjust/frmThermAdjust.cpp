#include "frmThermAdjust.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include "MousePointer.h"
#include "PortChoice.h"
#include "frmSelectPort.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"
#include "kvcom3/VbTypes.h"
#include "kvcom3/kvObjectNode.h"

namespace {

constexpr int kNormal = 0;
constexpr int kHourglass = 11;
constexpr int kArrowHourglass = 13;
constexpr int kCycleInterval = 2000;
// How often the cycle looks whether a device that went away is back.
constexpr int kLookInterval = 300;

std::optional<QString> askUser(QWidget* parent, const QString& prompt) {
    bool ok = false;
    QString answer = QInputDialog::getText(parent, QString(), prompt, QLineEdit::Normal, {}, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

}  // namespace

frmThermAdjust::frmThermAdjust(frmSelectPort& selection, QWidget* parent)
    : QWidget(parent), selection_(selection) {
    setWindowTitle("ThermAdjust v 10");
    lblTempL = new QLabel("Temperature:", this);
    lblTemp = new QLabel("---", this);
    Label1 = new QLabel("Serial number:", this);
    lblSN = new QLabel("---", this);
    lblErr = new QLabel("Label1", this);
    lblErr->setVisible(false);
    lblErr->setWordWrap(true);
    btnChange = new QPushButton("Change", this);
    Command2 = new QPushButton("Close", this);
    QFont reading = lblTemp->font();
    reading.setPointSizeF(reading.pointSizeF() * 1.6);
    reading.setBold(true);
    lblTemp->setFont(reading);

    auto* grid = new QGridLayout;
    grid->addWidget(lblTempL, 0, 0);
    grid->addWidget(lblTemp, 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(lblSN, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnChange);
    buttons->addStretch();
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(lblErr);
    layout->addStretch();
    layout->addLayout(buttons);

    setMinimumWidth(320);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &frmThermAdjust::Timer1_Timer);
    connect(btnChange, &QPushButton::clicked, this, &frmThermAdjust::btnChange_Click);
    connect(Command2, &QPushButton::clicked, this, &frmThermAdjust::Command2_Click);
    inputBox_ = [this](const QString& prompt) { return askUser(this, prompt); };
}

frmThermAdjust::~frmThermAdjust() = default;

bool frmThermAdjust::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        setMousePointer(kHourglass);
        connectRequest_ = true;
    }
    return QWidget::event(e);
}

void frmThermAdjust::closeEvent(QCloseEvent* e) {
    // The title-bar button behaves like "Close": the program ends from the timer's close branch,
    // which closes the window for good.
    if (ended_) return;
    e->ignore();
    Command2_Click();
}

void frmThermAdjust::btnChange_Click() {
    changeRequest_ = true;
}

void frmThermAdjust::Command2_Click() {
    setMousePointer(kHourglass);
    if (sensor_) sensor_->Cancel();
    closeRequest_ = true;
    // The next tick closes; it need not wait out a two-second interval.
    if (!ended_) Timer1->start(1);
}

std::int16_t frmThermAdjust::selectedPort() const {
    return comPortNumber(selection_.txtComPort->text());
}

void frmThermAdjust::Timer1_Timer() {
    // The libraries run the event loop while they wait for the sensor, so the timer can fire
    // inside a tick; a second tick then would work on objects the first one still uses.
    if (inTick_) return;
    inTick_ = true;
    struct TickEnd {
        bool& flag;
        ~TickEnd() { flag = false; }
    } tickEnd{inTick_};
    // The libraries let window events run, so a Change click may arrive while this tick works;
    // it is served by the next tick, not cleared with a request this one found.
    const bool changeAtStart = changeRequest_;
    try {
        // The close comes first: a connect that keeps failing must not keep the window open.
        if (closeRequest_) {
            closeBranch();
            return;
        }
        // Without a window manager the window may never be activated; there is nothing to read
        // from before a connect.
        if (!sensor_) connectRequest_ = true;
        if (!goneSince_.isEmpty()) {
            if (!device_->back()) return;
            showBack();
        }
        if (connectRequest_) {
            connectBranch();
        } else if (changeRequest_) {
            changeBranch();
        } else if (!errorLatched_) {
            normalCycle();
        }
        // Clearing the connect request also absorbs the activation a closed dialog causes.
        connectRequest_ = false;
        if (changeAtStart) changeRequest_ = false;
        setMousePointer(kNormal);
    } catch (const kvcom3::KvError& e) {
        showError(QString::fromStdString(e.description()));
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
    }
}

void frmThermAdjust::connectBranch() {
    // The objects are taken only once the connect succeeded: a failed one leaves nothing behind
    // that the close branch would try to close.
    auto calibration = std::make_unique<kvcal3::ISensCalibration>();
    auto sensor = std::make_shared<kvcom3::ISensMem>();
    sensor->LetLeavePortOpen(true);
    sensor->LetProtokoll(selection_.optKVBUS->isChecked() ? kvcom3::kvKV : kvcom3::kvMB);
    sensor->Connect(selectedPort(), -1, 0, 0);
    device_.reset();
    // A port beyond the table has no device to wait for; its error shows in the first cycle.
    if (const std::int16_t port = selectedPort(); port >= 0 && port < kvcom3::kPortCount)
        device_.emplace(port);
    calibration->SetSensor(sensor);
    sensor_ = std::move(sensor);
    calibration_ = std::move(calibration);
    Timer1->start();
}

void frmThermAdjust::changeBranch() {
    std::optional<QString> answer = inputBox_("Please enter correct temp");
    setMousePointer(kHourglass);
    if (!answer || answer->isEmpty()) return;
    auto procedure = calibration_->GetProcedure("cpSpaceTempOffsetAdjust");
    procedure->InputVariables()->Item("cvSpaceTempOffsetAdjustCorrectTemp")->Value =
        kvcom3::Variant(procedure->getVal(answer->toStdString()));
    kvcom3::setJournalOperation("calibrate cpSpaceTempOffsetAdjust");
    try {
        calibration_->GetProcedure("cpSpaceTempOffsetAdjust")->Run();
    } catch (const kvcom3::KvError& e) {
        // An adjustment that failed after it changed EEPROM bytes gets one try to put them
        // back; the error shown then says how that went.
        const auto back = kvcom3::rollBackLastOperation(*sensor_->AdressLevel());
        if (back.result == kvcom3::JournalRollBack::Result::Nothing) throw;
        throw kvcom3::KvError(e.number(), e.description() + "\n" + back.message(), e.source());
    }
}

void frmThermAdjust::closeBranch() {
    // The program ends even when the port cannot be closed (a number beyond the port table, a
    // port text changed to one out of range): the failure is only logged.
    try {
        if (sensor_) sensor_->ClosePort(selectedPort());
    } catch (const std::exception& e) {
        qWarning("ThermAdjust: closing the port failed: %s", e.what());
    }
    sensor_.reset();
    calibration_.reset();
    Timer1->stop();
    ended_ = true;
    close();
    setMousePointer(kNormal);
    emit programEnded();
}

void frmThermAdjust::normalCycle() {
    setMousePointer(kArrowHourglass);
    Timer1->setInterval(kCycleInterval);
    try {
        auto node = sensor_->ObjectLevel()->GetNode("foChannelValue4");
        if (!node) kvcom3::raisePlatformError(kvcom3::platform_error::ObjectNotSet);
        QString value = QString::fromStdString(node->Value(true).toString());
        lblTemp->setText(value + " " + QString::fromStdString(node->Unit()));
        lblSN->setText(QString::fromStdString(sensor_->SerialNr(true)));
    } catch (const kvcom3::KvError& e) {
        if (!device_ || !device_->gone(e)) throw;
        showGone(e);
        return;
    }
    lblTempL->setVisible(true);
    lblTemp->setVisible(true);
}

// The readings grey out as after an error, but the cycle goes on looking for the device.
void frmThermAdjust::showGone(const kvcom3::KvError& error) {
    goneSince_ = QTime::currentTime().toString("HH:mm:ss");
    lblTempL->setEnabled(false);
    lblTemp->setEnabled(false);
    lblErr->setVisible(true);
    lblErr->setText(QString("Sensor gone since %1, waiting for %2\n%3")
                        .arg(goneSince_, QString::fromStdString(device_->name()),
                             QString::fromStdString(error.description())));
    btnChange->setEnabled(false);
    Timer1->setInterval(kLookInterval);
}

// The device is back: the sensor behind it is connected anew, as it may be another one.
void frmThermAdjust::showBack() {
    goneSince_.clear();
    lblTempL->setEnabled(true);
    lblTemp->setEnabled(true);
    lblErr->setVisible(false);
    btnChange->setEnabled(true);
    connectRequest_ = true;
}

void frmThermAdjust::showError(const QString& description) {
    lblTempL->setEnabled(false);
    lblTemp->setEnabled(false);
    lblErr->setVisible(true);
    lblErr->setText(description == "Cancel was selected" ? "Please wait" : description);
    errorLatched_ = true;
    btnChange->setEnabled(false);
    setMousePointer(kNormal);
    // A request that failed is served again on the next tick, but not every millisecond.
    Timer1->setInterval(kCycleInterval);
}
