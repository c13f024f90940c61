#include "PortChoice.h"

#include "kvcom3/VbTypes.h"

namespace {

bool asBoolean(const QVariant& stored, const char* fallback) {
    const QString text = stored.isValid() ? stored.toString() : QString(fallback);
    return text.compare("True", Qt::CaseInsensitive) == 0;
}

}  // namespace

PortChoice readPortChoice(const QVariant& comPort, const QVariant& kvbus, const QVariant& modbus) {
    const bool modbusAlone = asBoolean(modbus, "False") && !asBoolean(kvbus, "True");
    return PortChoice{comPort.isValid() ? comPort.toString() : QString("1"), !modbusAlone,
                      modbusAlone};
}

std::int16_t comPortNumber(const QString& text) {
    return kvcom3::toInteger(kvcom3::val(text.toStdString()));
}
