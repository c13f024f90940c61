#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "kvcal3/ReadingDisplay.h"
#include "kvcom3/EepromChanges.h"

class Activity;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class SensorConnection;

namespace kvcal3 {
class ISensCalibration;
class kvCalProcedure;
namespace ui {
class ReadingPlot;
}
}  // namespace kvcal3

// The sensor's calibrations as a form: channel, procedure and the procedure's inputs, each field
// with its kind and range; an empty field leaves the input to the procedure, which then asks or
// measures. Run checks every field first (a refusal sends nothing), then runs the procedure
// with progress and Cancel; its questions are the calibration library's own dialogs. While the
// procedure shows the raw signal the plot here follows it too. Afterwards the EEPROM cells the
// run changed are listed with their old and new values.
class CalibrationPanel : public QWidget {
    Q_OBJECT

  public:
    CalibrationPanel(SensorConnection& connection, Activity& activity, QWidget* parent = nullptr);
    ~CalibrationPanel() override;

    QPushButton* readButton;
    QComboBox* channel;
    QComboBox* procedure;
    QWidget* inputs;
    QFormLayout* inputForm;
    // One per input of the chosen procedure, named by the input's key.
    std::vector<QLineEdit*> inputFields;
    QCheckBox* showReadings;
    QPushButton* runButton;
    QLabel* rawSignal;
    kvcal3::ui::ReadingPlot* plot;
    QTableWidget* changes;

  public slots:
    // Builds the sensor's catalogue; false when that failed or was cancelled.
    bool readProcedures();
    // Runs the chosen procedure with the form's inputs; false when a field was refused, or the
    // run failed or was cancelled.
    bool runProcedure();
    void connectionChanged(bool connected);

  private:
    void channelChosen();
    void procedureChosen();
    void showChanges(const std::vector<kvcom3::CellChange>& changed);
    void reading(float value);
    void updateState();
    std::shared_ptr<kvcal3::kvCalProcedure> chosenProcedure() const;

    SensorConnection& connection_;
    Activity& activity_;
    std::unique_ptr<kvcal3::ISensCalibration> calibration_;
    kvcal3::ReadingHistory history_;
};
