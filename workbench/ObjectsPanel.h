#pragma once

#include <QWidget>

class Activity;
class ObjectTreeModel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTreeView;
class SensorConnection;

// The sensor's objects as a tree with name, value, unit and key; "Read values" reads them all
// from the sensor with progress and Cancel; the search box keeps the objects whose name or key
// holds the text, with the folders above them.
class ObjectsPanel : public QWidget {
    Q_OBJECT

  public:
    ObjectsPanel(SensorConnection& connection, Activity& activity, QWidget* parent = nullptr);

    ObjectTreeModel* model;
    QSortFilterProxyModel* filter;
    QTreeView* tree;
    QLineEdit* search;
    QPushButton* readButton;

  public slots:
    // Reads the tree and its values; false when that failed or was cancelled.
    bool readValues();
    // A new sensor, or none: the tree of the old one goes.
    void connectionChanged(bool connected);

  private:
    void updateState();
    void searchChanged(const QString& text);

    SensorConnection& connection_;
    Activity& activity_;
};
