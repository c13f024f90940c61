#pragma once

#include <QPersistentModelIndex>
#include <QString>
#include <QWidget>
#include <functional>

class Activity;
class ObjectTreeModel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTimer;
class QTreeView;
class SensorConnection;

// The sensor's objects as a tree with name, value, unit and key; "Read values" reads them all
// from the sensor with progress and Cancel; the search box keeps the objects whose name or key
// holds the text, with the folders above them. A value that was read can be edited: the write
// shows old and new and asks first, then reads the value back from the sensor. Whether the
// number fits the cell is the library's judgement; its refusal shows in the message line.
class ObjectsPanel : public QWidget {
    Q_OBJECT

  public:
    // Asked before a write: the object's name, the old and the new value with the unit.
    using Confirm =
        std::function<bool(const QString& name, const QString& oldText, const QString& newText)>;

    ObjectsPanel(SensorConnection& connection, Activity& activity, QWidget* parent = nullptr);

    // Replaces the question box (tests answer it themselves).
    void setConfirm(Confirm confirm) { confirm_ = std::move(confirm); }

    ObjectTreeModel* model;
    QSortFilterProxyModel* filter;
    QTreeView* tree;
    QLineEdit* search;
    QPushButton* readButton;
    // Seconds between refreshes of the on-line values in view; 0 turns the refresh off.
    QSpinBox* refreshInterval;
    QTimer* refreshTimer;

  public slots:
    // Reads the tree and its values; false when that failed or was cancelled.
    bool readValues();
    // Reads again, from the sensor, the on-line values (RAM and input registers) of the objects
    // the view shows now; nothing while another operation runs.
    void refreshVisible();
    // Writes the text as the value of the object at `index` (of the model), after asking;
    // false when nothing was written or the write failed.
    bool writeValue(const QPersistentModelIndex& index, const QString& text);
    // A new sensor, or none: the tree of the old one goes.
    void connectionChanged(bool connected);

  private:
    void updateState();
    void searchChanged(const QString& text);

    SensorConnection& connection_;
    Activity& activity_;
    Confirm confirm_;
};
