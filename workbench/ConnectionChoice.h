#pragma once

#include <QString>

class QSettings;

// Where and how the workbench reaches a sensor: a device path bound to the port number, or the
// port number alone (its device then comes from KVCOM3_PORT_<N> or the default), the protocol,
// the sensor address (-1: any) and, on a production board, the board and the position (0: none).
struct ConnectionChoice {
    QString device;
    int port = 1;
    bool modbus = false;
    int id = -1;
    int board = 0;
    int position = 0;

    bool operator==(const ConnectionChoice&) const = default;
};

// The ranges the library takes; loading puts anything else back to its default.
inline constexpr int kMaxPort = 23;
inline constexpr int kMaxId = 255;
inline constexpr int kMaxBoard = 65535;
inline constexpr int kMaxPosition = 255;

// The choice last saved in the user's settings; a hand-edited store never yields a value the
// library would refuse.
ConnectionChoice loadChoice(const QSettings& settings);
void saveChoice(QSettings& settings, const ConnectionChoice& choice);
