#pragma once

#include <QObject>
#include <cstdint>

class Activity;
class QLabel;
class QStatusBar;
class SensorConnection;

// Tells in the status line that the sensor is gone, and since when, once an operation ended
// because its device vanished (unplugged, or the virtual sensor ended): a device error while
// the connection's device path is no longer there. A file that could not be written fails with
// the same numbers and is no lost sensor. The window stays
// usable; the notice goes with the next operation that succeeds or a new connection.
class LostSensorNotice : public QObject {
    Q_OBJECT

  public:
    LostSensorNotice(const SensorConnection& connection, Activity& activity, QStatusBar& bar);

    QLabel* label;

  public slots:
    void clear();

  private:
    void operationEnded(std::int32_t error);
    bool lost(std::int32_t error) const;

    const SensorConnection& connection_;
};
