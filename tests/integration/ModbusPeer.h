#pragma once

#include <modbus/modbus.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "PtyPair.h"

// Two pseudo-terminals joined back to back: what one slave side writes, the other reads, as if a
// null-modem cable ran between two serial ports. With a character time the bytes take as long
// as on a real line (pseudo-terminals themselves have no baud rate).
class PtyBridge {
  public:
    explicit PtyBridge(std::chrono::microseconds characterTime = {})
        : characterTime_(characterTime), relay_([this] { run(); }) {}
    ~PtyBridge() {
        stop_ = true;
        relay_.join();
    }
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    const std::string& endA() const { return a_.slavePath(); }
    const std::string& endB() const { return b_.slavePath(); }

  private:
    void run() {
        pollfd fds[2] = {{a_.master(), POLLIN, 0}, {b_.master(), POLLIN, 0}};
        std::uint8_t buffer[512];
        while (!stop_) {
            if (::poll(fds, 2, 20) <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if (!(fds[i].revents & POLLIN)) continue;
                ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                for (ssize_t k = 0; k < n; ++k) {
                    if (characterTime_.count() > 0) {
                        std::this_thread::sleep_for(characterTime_);
                    }
                    if (::write(fds[1 - i].fd, buffer + k, 1) != 1) return;
                }
            }
        }
    }

    std::chrono::microseconds characterTime_;
    PtyPair a_;
    PtyPair b_;
    std::atomic<bool> stop_{false};
    std::thread relay_;
};

// A Modbus RTU slave built on libmodbus, serving registers on one end of a bridge.
class LibmodbusSlave {
  public:
    LibmodbusSlave(const std::string& device, int address, int registers = 64) {
        ctx_ = modbus_new_rtu(device.c_str(), 9600, 'N', 8, 2);
        map_ = modbus_mapping_new(0, 0, registers, registers);
        if (ctx_ == nullptr || map_ == nullptr || modbus_set_slave(ctx_, address) != 0 ||
            modbus_connect(ctx_) != 0) {
            throw std::runtime_error("libmodbus slave could not start on " + device);
        }
        modbus_set_indication_timeout(ctx_, 0, 50'000);
    }
    ~LibmodbusSlave() {
        stopServing();
        modbus_close(ctx_);
        modbus_free(ctx_);
        modbus_mapping_free(map_);
    }
    LibmodbusSlave(const LibmodbusSlave&) = delete;
    LibmodbusSlave& operator=(const LibmodbusSlave&) = delete;

    std::uint16_t& holding(int reg) { return map_->tab_registers[reg]; }
    std::uint16_t& input(int reg) { return map_->tab_input_registers[reg]; }

    void serve() {
        server_ = std::thread([this] {
            std::vector<std::uint8_t> query(MODBUS_RTU_MAX_ADU_LENGTH);
            while (!stop_) {
                int rc = modbus_receive(ctx_, query.data());
                if (rc > 0) modbus_reply(ctx_, query.data(), rc, map_);
            }
        });
    }
    void stopServing() {
        stop_ = true;
        if (server_.joinable()) server_.join();
    }

  private:
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* map_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread server_;
};
