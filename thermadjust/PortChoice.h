#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>

// The port selection as the user's settings store it: the port box's text and the two protocol
// switches, read back from whatever the store holds.
struct PortChoice {
    QString comPort;
    bool kvbus = false;
    bool modbus = false;
};

// Missing values take the first-run defaults (port "1", KVBUS on, Modbus off); a switch is on
// only when its stored text is "True" in any case.
PortChoice readPortChoice(const QVariant& comPort, const QVariant& kvbus, const QVariant& modbus);

// The port number a port box text names, read as the classic Val does; Overflow (6) beyond the
// 16-bit range.
std::int16_t comPortNumber(const QString& text);
