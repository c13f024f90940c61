#include "MainWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "Activity.h"
#include "CalibrationPanel.h"
#include "ConnectPanel.h"
#include "FrameLogPane.h"
#include "HexPanel.h"
#include "LostSensorNotice.h"
#include "MemoryPanel.h"
#include "ObjectsPanel.h"
#include "SafetyMenu.h"
#include "ScopePanel.h"

namespace {

constexpr const char* kNotConnected = "Not connected";

QSettings userSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "kvworkbench", "kvworkbench");
}

QString identityText(const SensorIdentity& identity) {
    return QString("Platform %1 · part number %2 · serial number %3 · EEPROM %4 bytes")
        .arg(identity.platform)
        .arg(identity.partNumber)
        .arg(identity.serialNumber.empty() ? QString("none")
                                           : QString::fromStdString(identity.serialNumber))
        .arg(identity.eepromSize);
}

}  // namespace

MainWindow::MainWindow(kvcom3::ScanRoots roots, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("KV Workbench");
    tabs = new QTabWidget(this);
    connectPanel = new ConnectPanel(std::move(roots), tabs);
    tabs->addTab(connectPanel, "Connection");
    setCentralWidget(tabs);

    identityLabel = new QLabel(kNotConnected, this);
    messageLabel = new QLabel(this);
    progressBar = new QProgressBar(this);
    progressBar->setMaximumWidth(200);
    cancelButton = new QPushButton("Cancel", this);
    statusBar()->addWidget(identityLabel);
    statusBar()->addWidget(messageLabel, 1);
    statusBar()->addPermanentWidget(progressBar);
    statusBar()->addPermanentWidget(cancelButton);
    activity_ = new Activity(progressBar, cancelButton, messageLabel, this);
    activity_->setCancelHandler([this] { connection_.cancel(); });
    connection_.setProgressHandler(
        [this](int percent) { activity_->setTransferProgress(percent); });
    objectsPanel = new ObjectsPanel(connection_, *activity_, tabs);
    tabs->addTab(objectsPanel, "Objects");
    connect(this, &MainWindow::connectionChanged, objectsPanel, &ObjectsPanel::connectionChanged);
    memoryPanel = new MemoryPanel(connection_, *activity_, tabs);
    tabs->addTab(memoryPanel, "Memory");
    connect(this, &MainWindow::connectionChanged, memoryPanel, &MemoryPanel::connectionChanged);
    hexPanel = new HexPanel(connection_, *activity_, tabs);
    tabs->addTab(hexPanel, "Hex");
    connect(this, &MainWindow::connectionChanged, hexPanel, &HexPanel::connectionChanged);
    frameLog = new FrameLogPane(connection_, this);
    addDockWidget(Qt::BottomDockWidgetArea, frameLog);
    safetyMenu = new SafetyMenu(*this, connection_, *activity_);
    menuBar()->addMenu("&View")->addAction(frameLog->toggleViewAction());
    lostNotice = new LostSensorNotice(connection_, *activity_, *statusBar());
    connect(this, &MainWindow::connectionChanged, lostNotice, &LostSensorNotice::clear);
    calibrationPanel = new CalibrationPanel(connection_, *activity_, tabs);
    tabs->addTab(calibrationPanel, "Calibration");
    connect(this, &MainWindow::connectionChanged, calibrationPanel,
            &CalibrationPanel::connectionChanged);
    scopePanel = new ScopePanel(connection_, *activity_, tabs);
    tabs->addTab(scopePanel, "Scope");
    connect(this, &MainWindow::connectionChanged, scopePanel, &ScopePanel::connectionChanged);
    scopePanel->followFrom(objectsPanel->tree);

    connectPanel->setChoice(loadChoice(userSettings()));
    connect(connectPanel, &ConnectPanel::connectClicked, this, &MainWindow::connectSensor);
    connect(connectPanel, &ConnectPanel::disconnectClicked, this, &MainWindow::disconnectSensor);
    connect(activity_, &Activity::busyChanged, this, [this](bool busy) {
        updateState();
        // A close asked for during the operation happens once it has ended.
        if (!busy && closePending_) QTimer::singleShot(0, this, &MainWindow::close);
    });
    resize(900, 600);
}

MainWindow::~MainWindow() {
    // Closing the port lets window events run: it happens while the window is still whole.
    connection_.close();
}

bool MainWindow::connectSensor() {
    const ConnectionChoice choice = connectPanel->choice();
    {
        QSettings settings = userSettings();
        saveChoice(settings, choice);
    }
    SensorIdentity identity;
    const bool ok = activity_->run("Connect", [&] { identity = connection_.open(choice); });
    identityLabel->setText(ok ? identityText(identity) : QString(kNotConnected));
    updateState();
    if (ok) emit connectionChanged(true);
    return ok;
}

bool MainWindow::connectTo(const ConnectionChoice& choice) {
    connectPanel->setChoice(choice);
    return connectSensor();
}

void MainWindow::disconnectSensor() {
    if (activity_->busy() || !connection_.isOpen()) return;
    connection_.close();
    identityLabel->setText(kNotConnected);
    activity_->showMessage("Disconnected");
    updateState();
    emit connectionChanged(false);
}

void MainWindow::updateState() {
    connectPanel->setState(connection_.isOpen(), activity_->busy());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The running operation is cancelled first; the window closes once it has ended.
    if (activity_->busy()) {
        closePending_ = true;
        activity_->cancel();
        event->ignore();
        return;
    }
    closePending_ = false;
    if (connection_.isOpen()) disconnectSensor();
    event->accept();
}
