#include "link/PortTable.h"

#include <array>
#include <cstdlib>
#include <utility>

#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"
#include "link/FrameTrace.h"
#include "link/LineLog.h"
#include "link/PortEnvironment.h"

namespace kvcom3 {

namespace {

std::string defaultDevicePath(int port) {
    return port == 0 ? std::string("/dev/ttyS0") : "/dev/ttyUSB" + std::to_string(port - 1);
}

std::array<std::unique_ptr<PortSlot>, kPortCount>& slots() {
    static std::array<std::unique_ptr<PortSlot>, kPortCount> table = [] {
        std::array<std::unique_ptr<PortSlot>, kPortCount> t;
        for (int i = 0; i < kPortCount; ++i)
            t[static_cast<std::size_t>(i)] = std::make_unique<PortSlot>(i);
        return t;
    }();
    return table;
}

}  // namespace

PortSlot::PortSlot(int number) : number_(number) {}

void PortSlot::setSettings(std::string_view text) {
    setSettings(LineSettings::parse(text));
}

void PortSlot::setSettings(const LineSettings& settings) {
    if (isOpen()) device_->applySettings(settings);
    settings_ = settings;
}

SerialDevice& PortSlot::openDevice() {
    if (!device_) {
        device_ = boundDevice_ ? boundDevice_
                               : std::shared_ptr<SerialDevice>(makeTermiosDevice(devicePath()));
    }
    return *device_;
}

void PortSlot::open() {
    if (isOpen()) return;
    const PortOptions line = options();
    try {
        SerialDevice& device = openDevice();
        device.open(settings_, rts_);
        // Without it a USB adapter holds each reply back for its latency timer (16 ms on FTDI).
        device.requestLowLatency();
        adapterLine_ = line != PortOptions{};
        rtsAroundFrames_ = line.rs485 && !device.requestRs485();
        // The transmitter stays off between frames, or the sensor's reply would not be heard.
        if (rtsAroundFrames_) setRts(false);
    } catch (...) {
        device_.reset();
        throw;
    }
    heard_.clear();
    if (line.echo) echo_.emplace();
    if (adapterLine_) quietFrom_ = clock().now();
}

void PortSlot::close() {
    echo_.reset();
    heard_.clear();
    if (!device_) return;
    device_->close();
    device_.reset();
}

PortOptions PortSlot::options() const {
    return options_ ? *options_ : portOptionsFromEnvironment();
}

void PortSlot::keepSilence(std::chrono::microseconds silence) {
    if (!isOpen() || !adapterLine_) return;
    const Clock::Duration quiet = quietFrom_ + silence - clock().now();
    if (quiet > Clock::Duration::zero())
        clock().sleep(std::chrono::ceil<std::chrono::milliseconds>(quiet));
}

void PortSlot::hearEcho() {
    auto raw = device_->readAll();
    if (raw.empty()) return;
    quietFrom_ = clock().now();
    traceFrame(TraceDirection::Received, raw);
    LineEcho::Heard heard = echo_->take(raw);
    if (heard.fault) logLine(*heard.fault);
    heard_.insert(heard_.end(), heard.data.begin(), heard.data.end());
    if (echo_->faulted()) heard_.clear();
}

bool PortSlot::isOpen() const {
    return device_ && device_->isOpen();
}

std::string PortSlot::openNotice() const {
    return isOpen() ? device_->openNotice() : std::string();
}

void PortSlot::setRts(bool on) {
    rts_ = on;
    if (isOpen()) device_->setRts(on);
}

namespace {
[[noreturn]] void raiseClosed(int port) {
    raisePlatformError(platform_error::PathFileAccess,
                       "port " + std::to_string(port) + " is not open");
}
}  // namespace

std::size_t PortSlot::bytesWaiting() {
    if (!isOpen()) raiseClosed(number_);
    if (!echo_) return device_->bytesWaiting();
    hearEcho();
    return heard_.size();
}

std::vector<std::uint8_t> PortSlot::readAll() {
    if (!isOpen()) raiseClosed(number_);
    if (echo_) {
        hearEcho();
        return std::exchange(heard_, {});
    }
    auto bytes = device_->readAll();
    if (adapterLine_ && !bytes.empty()) quietFrom_ = clock().now();
    traceFrame(TraceDirection::Received, bytes);
    return bytes;
}

void PortSlot::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen()) raiseClosed(number_);
    if (echo_) {
        // What a spoiled exchange left on the line is no part of the next one.
        if (echo_->faulted()) hearEcho();
        echo_->sent(bytes);
    }
    traceFrame(TraceDirection::Sent, bytes);
    if (!rtsAroundFrames_) {
        device_->write(bytes);
        if (adapterLine_) {
            quietFrom_ = clock().now() + characterTime() * static_cast<long long>(bytes.size());
        }
        return;
    }
    setRts(true);
    try {
        device_->write(bytes);
        device_->waitSent();
    } catch (...) {
        setRts(false);  // a failed frame must not leave the transmitter holding the bus
        throw;
    }
    setRts(false);
    quietFrom_ = clock().now();
}

void PortSlot::writeChars(std::string_view chars) {
    std::vector<std::uint8_t> bytes(chars.begin(), chars.end());
    write(bytes);
}

void PortSlot::waitReadable(std::chrono::milliseconds limit) {
    if (!isOpen()) raiseClosed(number_);
    device_->waitReadable(limit);
}

std::chrono::microseconds PortSlot::characterTime() const {
    int bits = 1 + settings_.dataBits + (settings_.parity == 'n' ? 0 : 1) + settings_.stopBits;
    return std::chrono::microseconds(1'000'000LL * bits / settings_.baud + 1);
}

void PortSlot::bind(std::string devicePath) {
    close();
    boundDevice_.reset();
    boundPath_ = std::move(devicePath);
}

void PortSlot::bind(std::shared_ptr<SerialDevice> device) {
    close();
    boundPath_.clear();
    boundDevice_ = std::move(device);
}

void PortSlot::unbind() {
    close();
    boundPath_.clear();
    boundDevice_.reset();
}

std::string PortSlot::devicePath() const {
    if (boundDevice_) return boundDevice_->name();
    if (!boundPath_.empty()) return boundPath_;
    std::string variable = "KVCOM3_PORT_" + std::to_string(number_);
    if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0') {
        return value;
    }
    return defaultDevicePath(number_);
}

void setPortOptions(int port, std::optional<PortOptions> options) {
    portSlot(port).setOptions(options);
}
PortOptions portOptions(int port) {
    return portSlot(port).options();
}

PortSlot& portSlot(int port) {
    if (port < 0 || port >= kPortCount) {
        raisePlatformError(platform_error::SubscriptOutOfRange,
                           "port number " + std::to_string(port) + " (ports are 0-23)");
    }
    return *slots()[static_cast<std::size_t>(port)];
}

void bindPort(int port, const std::string& devicePath) {
    portSlot(port).bind(devicePath);
}
void bindPort(int port, std::shared_ptr<SerialDevice> device) {
    portSlot(port).bind(std::move(device));
}
void unbindPort(int port) {
    portSlot(port).unbind();
}
std::string portDevicePath(int port) {
    return portSlot(port).devicePath();
}

}  // namespace kvcom3
