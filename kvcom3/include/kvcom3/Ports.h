#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "kvcom3/SerialDevice.h"

namespace kvcom3 {

// Ports 0 ... kPortCount - 1; any other number raises 9 "Subscript out of range".
inline constexpr int kPortCount = 24;

// Port numbers 0-23 name serial devices. The device of a port is, in this order: a binding made
// here, the environment variable KVCOM3_PORT_<N>, or the default (0: /dev/ttyS0, N:
// /dev/ttyUSB<N-1>). Binding a port closes whatever device the port had open. A bound device object
// (the virtual sensor in process, say) stays the port's device across open and close. unbindPort
// returns the port to the environment variable and the default. All three raise 9 for a port
// outside 0-23.
void bindPort(int port, const std::string& devicePath);
void bindPort(int port, std::shared_ptr<SerialDevice> device);
void unbindPort(int port);

// The device path a port number resolves to now; raises 9 for a number outside 0-23.
std::string portDevicePath(int port);

// How a port drives its line for the adapter behind it; the defaults are the sensor's own line.
struct PortOptions {
    // RS-485 direction: the driver's RS-485 mode where it offers one, else RTS raised around
    // each frame (on, write, wait until sent, off).
    bool rs485 = false;
    // The adapter hears its own frames (two-wire RS-485): the bytes sent are taken back off the
    // line and compared; a difference is a line fault that fails the attempt.
    bool echo = false;
    // The baud rate of Modbus transfers (KVBUS always runs at 9600).
    std::uint32_t modbusBaud = 9600;
    bool operator==(const PortOptions&) const = default;
};

// Gives a port its options; std::nullopt returns it to the environment: KVCOM3_RS485 and
// KVCOM3_ECHO (0 or 1) and KVCOM3_BAUD (the Modbus baud rate), read when the port opens and when
// a Modbus transfer sets its line. RS-485 and echo count from the port's next open, the rate from
// the next Modbus transfer. Raises 9 for a port outside 0-23.
void setPortOptions(int port, std::optional<PortOptions> options);
// The options the port runs with: those given, else those of the environment. Raises 9 for a
// port outside 0-23 and 380 "Invalid property value" naming a variable whose value is not valid.
PortOptions portOptions(int port);

// A termios device on a path (a real serial port or a pseudo-terminal slave), still closed:
// the path is only tried by open(). Open takes an flock on the device and the lock file other
// serial programs use, LCK..<device> in KVCOM3_LOCK_DIR (default /run/lock): a stale one is
// replaced, a live one raises 8005 naming its PID, and an unwritable directory leaves the port
// without one (openNotice() says so).
std::unique_ptr<SerialDevice> makeTermiosDevice(const std::string& path);

}  // namespace kvcom3
