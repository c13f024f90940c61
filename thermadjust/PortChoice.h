#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>

// The port selection as the user's settings store it: the port box's text and the two protocol
// switches, read back from whatever the store holds. Exactly one switch is on.
struct PortChoice {
    QString comPort;
    bool kvbus = false;
    bool modbus = false;
};

// Missing values take the first-run defaults (port "1", KVBUS on, Modbus off); a stored switch
// counts as on only when its text is "True" in any case. Modbus is chosen only when it alone is
// on: a store with neither (or both) on opens with KVBUS, so the tool never talks Modbus to a
// sensor nobody chose it for.
PortChoice readPortChoice(const QVariant& comPort, const QVariant& kvbus, const QVariant& modbus);

// The port number a port box text names, read as the classic Val does; Overflow (6) beyond the
// 16-bit range.
std::int16_t comPortNumber(const QString& text);
