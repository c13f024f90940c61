#pragma once

#include <QDialog>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class frmThermAdjust;

// The start-up window: port number and protocol, remembered per user. It stays loaded behind the
// main window, which reads the choice whenever it connects or closes the port.
class frmSelectPort : public QDialog {
    Q_OBJECT

  public:
    explicit frmSelectPort(QWidget* parent = nullptr);
    ~frmSelectPort() override;

    QGroupBox* Frame1;
    QRadioButton* optKVBUS;
    QRadioButton* optMODBUS;
    QLabel* lblLabels;
    QLineEdit* txtComPort;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // The main window once OK was clicked.
    frmThermAdjust* mainWindow() const { return main_.get(); }

  private slots:
    void cmdOK_Click();
    void cmdCancel_Click();

  private:
    void Form_Load();

    std::unique_ptr<frmThermAdjust> main_;
};
