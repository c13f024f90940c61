#pragma once

#include <QWidget>
#include <memory>
#include <vector>

class Activity;
class QChartView;
class QDateTimeAxis;
class QDoubleSpinBox;
class QLabel;
class QLineSeries;
class QMimeData;
class QPushButton;
class QTableView;
class QTimer;
class QTreeView;
class QValueAxis;
class ScopeTableModel;
class SensorConnection;
struct ScopeSample;

namespace kvcom3 {
class kvObjectNode;
}

// Objects followed over time: dropped here from the object tree (or added from it), read from
// the sensor at the chosen interval while recording, each plotted as a line and every sample
// listed in a table beside it. A recording is saved as CSV and opened again; the plot is
// exported as PNG. Each round of reads is one operation with Cancel, which ends the recording,
// as does any error.
class ScopePanel : public QWidget {
    Q_OBJECT

  public:
    ScopePanel(SensorConnection& connection, Activity& activity, QWidget* parent = nullptr);
    ~ScopePanel() override;

    ScopeTableModel* model;
    QTableView* table;
    QChartView* chartView;
    QLabel* objectsLabel;
    // Seconds between two rounds of reads.
    QDoubleSpinBox* interval;
    QPushButton* startButton;
    QPushButton* stopButton;
    QPushButton* clearButton;
    QPushButton* openButton;
    QPushButton* saveButton;
    QPushButton* pngButton;
    QTimer* sampleTimer;

    bool recording() const;
    // Lets the objects of `tree` be dragged here, and adds "Add to scope" to its context menu
    // for the selected ones.
    void followFrom(QTreeView* tree);

  public slots:
    // Follows the objects with these keys as well; false when one is not in the sensor's tree
    // (the message line says which) or no sensor is connected.
    bool addObjects(const QStringList& keys);
    // The objects a drag from the tree carries.
    bool addFrom(const QMimeData& data);
    // Starts a new recording of the objects followed; false without objects or sensor.
    bool start();
    void stop();
    // One round of reads, now.
    bool sample();
    // Forgets the objects and the recording.
    void clear();
    bool saveCsv(const QString& path);
    // Shows the recording of the file instead of the present one; false (and nothing changed)
    // when the file cannot be read or is not a recording.
    bool openCsv(const QString& path);
    bool exportPng(const QString& path);
    void connectionChanged(bool connected);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void rebuildChart();
    void plot(const ScopeSample& sample);
    void rescale();
    void updateState();

    SensorConnection& connection_;
    Activity& activity_;
    std::vector<std::shared_ptr<kvcom3::kvObjectNode>> nodes_;
    std::vector<QLineSeries*> series_;
    QDateTimeAxis* timeAxis_;
    QValueAxis* valueAxis_;
};
