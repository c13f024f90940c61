#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvcom3 {

// Line settings in the classic "baud,parity,data bits,stop bits" form, e.g. "9600,n,8,2".
struct LineSettings {
    std::uint32_t baud = 9600;
    char parity = 'n';  // n, e, o, m or s
    std::uint8_t dataBits = 8;
    std::uint8_t stopBits = 1;

    // Raises 380 "Invalid property value" for text that is not a valid settings string.
    static LineSettings parse(std::string_view text);
    // The settings in the form parse reads. No errors.
    std::string toString() const;
    bool operator==(const LineSettings&) const = default;
};

// One serial line as the protocols use it. The termios backend drives real ports and
// pseudo-terminals; the virtual sensor offers an in-process device with the same contract.
// Failures are KvError with the platform numbers: 53 no such device, 70 no permission, 8005 in
// use by another program, 380 settings the line cannot take, 75 any other failure (a line that
// disappears while open included).
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // The device path (or the in-process device's name), for messages and the port table.
    virtual std::string name() const = 0;
    // Raises an error that names the device when it cannot be opened; never leaves it half-open.
    virtual void open(const LineSettings& settings, bool rts) = 0;
    // Closing a closed device does nothing; waiting input is dropped.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Applied at once; only called while open.
    virtual void applySettings(const LineSettings& settings) = 0;
    // Only called while open; a line without modem control remembers nothing and raises nothing.
    virtual void setRts(bool on) = 0;
    // The number of received bytes not yet taken.
    virtual std::size_t bytesWaiting() = 0;
    // Every waiting byte, emptying the receive buffer.
    virtual std::vector<std::uint8_t> readAll() = 0;
    // Queues the bytes and returns without waiting for them to leave.
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    // Blocks until more input arrives than is waiting now, or at most `limit` has passed (on the
    // library clock), so that a wait for a whole reply wakes with each new byte, not in a spin.
    virtual void waitReadable(std::chrono::milliseconds limit) = 0;
    // Asks the driver to hand received bytes over at once rather than hold them (a USB adapter's
    // latency timer); true when it did. Only called while open. A line without the setting (a
    // pseudo-terminal, the in-process sensor) returns false and stays as it was; no errors.
    virtual bool requestLowLatency() { return false; }
    // Asks the driver to switch the line's RS-485 transmitter itself: RTS on while sending, off
    // after the last stop bit; true when it did. Only called while open. A line without the mode
    // (a pseudo-terminal, an RS-232 port) returns false and stays as it was; no errors.
    virtual bool requestRs485() { return false; }
    // Blocks until the bytes written so far have left the line. A device that sends at once
    // returns at once.
    virtual void waitSent() {}
    // What the last open has to say for the communication log (a lock file it had to do
    // without, say); empty when all went as usual.
    virtual std::string openNotice() const { return {}; }
};

}  // namespace kvcom3
