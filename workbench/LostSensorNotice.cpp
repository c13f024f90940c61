#include "LostSensorNotice.h"

#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QTime>

#include "Activity.h"
#include "SensorConnection.h"
#include "kvcom3/KvError.h"

LostSensorNotice::LostSensorNotice(const SensorConnection& connection, Activity& activity,
                                   QStatusBar& bar)
    : QObject(&bar), connection_(connection) {
    label = new QLabel(&bar);
    label->setStyleSheet("QLabel { color: #b00000; font-weight: bold; }");
    label->setVisible(false);
    bar.addPermanentWidget(label);
    connect(&activity, &Activity::ended, this, &LostSensorNotice::operationEnded);
}

bool LostSensorNotice::lost(std::int32_t error) const {
    if (error != kvcom3::platform_error::PathFileAccess &&
        error != kvcom3::platform_error::FileNotFound)
        return false;
    // A port chosen by number alone has no path here to look at: the error decides.
    const QString& device = connection_.choice().device;
    return device.isEmpty() || !QFileInfo::exists(device);
}

void LostSensorNotice::clear() {
    label->clear();
    label->setVisible(false);
}

void LostSensorNotice::operationEnded(std::int32_t error) {
    if (error == 0) {
        clear();
        return;
    }
    // The first loss counts: later failures do not move the time.
    if (label->isVisible() || !lost(error)) return;
    label->setText("Sensor lost since " + QTime::currentTime().toString("HH:mm:ss"));
    label->setVisible(true);
}
