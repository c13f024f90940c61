#include "frmSelectPort.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include "PortChoice.h"
#include "frmThermAdjust.h"
#include "kvcom3/VbTypes.h"

namespace {

QSettings settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "ThermAdjust", "ThermAdjust");
}

QString asText(bool value) {
    return value ? "True" : "False";
}

}  // namespace

frmSelectPort::frmSelectPort(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Select COM settings");
    Frame1 = new QGroupBox("Protocol", this);
    optKVBUS = new QRadioButton("KVBUS", Frame1);
    optMODBUS = new QRadioButton("MODBUS", Frame1);
    // One protocol is always chosen: a click on the chosen one keeps it.
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(optKVBUS);
    group->addButton(optMODBUS);
    auto* protocolLayout = new QVBoxLayout(Frame1);
    protocolLayout->addWidget(optKVBUS);
    protocolLayout->addWidget(optMODBUS);

    lblLabels = new QLabel("ComPort", this);
    txtComPort = new QLineEdit("1", this);
    lblLabels->setBuddy(txtComPort);
    cmdOK = new QPushButton("OK", this);
    cmdCancel = new QPushButton("Cancel", this);
    cmdOK->setDefault(true);

    auto* portRow = new QHBoxLayout;
    portRow->addWidget(lblLabels);
    portRow->addWidget(txtComPort);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(portRow);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmSelectPort::cmdOK_Click);
    // Cancel and Escape both reject the dialog.
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, &frmSelectPort::cmdCancel_Click);
    Form_Load();
}

// The main window reads this one's controls, so it goes first.
frmSelectPort::~frmSelectPort() {
    main_.reset();
}

void frmSelectPort::Form_Load() {
    QSettings stored = settings();
    stored.beginGroup("Main");
    const PortChoice choice =
        readPortChoice(stored.value("COMport"), stored.value("KVBUS"), stored.value("MODBUS"));
    txtComPort->setText(choice.comPort);
    optKVBUS->setChecked(choice.kvbus);
    optMODBUS->setChecked(choice.modbus);
}

void frmSelectPort::cmdOK_Click() {
    {
        QSettings stored = settings();
        stored.beginGroup("Main");
        double port = kvcom3::val(txtComPort->text().toStdString());
        stored.setValue("COMport", QString::fromStdString(kvcom3::doubleToText(port)));
        stored.setValue("KVBUS", asText(optKVBUS->isChecked()));
        stored.setValue("MODBUS", asText(optMODBUS->isChecked()));
    }
    if (!main_) {
        main_ = std::make_unique<frmThermAdjust>(*this);
        // The end comes from a tick, so the event loop is running; quit() outside it is a no-op
        // and leaves nothing queued behind.
        connect(main_.get(), &frmThermAdjust::programEnded, qApp, &QCoreApplication::quit);
    }
    main_->show();
    main_->Timer1->start();
}

void frmSelectPort::cmdCancel_Click() {
    // Once the main window is open it alone ends the program (from its close branch); here
    // Cancel only hides this window.
    if (!main_) QCoreApplication::quit();
}
