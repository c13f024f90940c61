#pragma once

#include <memory>
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

// A termios device on a path (a real serial port or a pseudo-terminal slave), still closed:
// the path is only tried by open(). Open takes an flock on the device and the lock file other
// serial programs use, LCK..<device> in KVCOM3_LOCK_DIR (default /run/lock): a stale one is
// replaced, a live one raises 8005 naming its PID, and an unwritable directory leaves the port
// without one (openNotice() says so).
std::unique_ptr<SerialDevice> makeTermiosDevice(const std::string& path);

}  // namespace kvcom3
