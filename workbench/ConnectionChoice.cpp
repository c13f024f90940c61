#include "ConnectionChoice.h"

#include <QSettings>

namespace {

int number(const QSettings& settings, const QString& key, int fallback, int low, int high) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

}  // namespace

ConnectionChoice loadChoice(const QSettings& settings) {
    ConnectionChoice choice;
    choice.device = settings.value("connection/device").toString();
    choice.port = number(settings, "connection/port", choice.port, 0, kMaxPort);
    choice.modbus = settings.value("connection/protocol").toString() == "modbus";
    choice.id = number(settings, "connection/id", choice.id, -1, kMaxId);
    choice.board = number(settings, "connection/board", choice.board, 0, kMaxBoard);
    choice.position = number(settings, "connection/position", choice.position, 0, kMaxPosition);
    return choice;
}

void saveChoice(QSettings& settings, const ConnectionChoice& choice) {
    settings.setValue("connection/device", choice.device);
    settings.setValue("connection/port", choice.port);
    settings.setValue("connection/protocol", choice.modbus ? "modbus" : "kvbus");
    settings.setValue("connection/id", choice.id);
    settings.setValue("connection/board", choice.board);
    settings.setValue("connection/position", choice.position);
}
