#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ConnectionChoice.h"
#include "kvcom3/ISensMem.h"

// What the status line shows of a connected sensor.
struct SensorIdentity {
    int platform = 0;
    int partNumber = 0;
    std::string serialNumber;
    std::int32_t eepromSize = 0;
};

// The one sensor connection of the program. The port stays open between transfers until
// close(); a device path is bound to the port only while connected.
class SensorConnection {
  public:
    SensorConnection();
    ~SensorConnection();
    SensorConnection(const SensorConnection&) = delete;
    SensorConnection& operator=(const SensorConnection&) = delete;

    // Connects and reads the identity, which is the first contact with the sensor; a failure
    // leaves the connection closed and reaches the caller as the library's KvError.
    SensorIdentity open(const ConnectionChoice& choice);
    // Closes the port and forgets the sensor; a failure to close is only logged.
    void close();
    bool isOpen() const { return sensor_ != nullptr; }
    // Where the open connection goes, or the last one went.
    const ConnectionChoice& choice() const { return choice_; }
    // The connected sensor; null when closed.
    const std::shared_ptr<kvcom3::ISensMem>& sensor() const { return sensor_; }
    // Ends the running transfer with "Cancel was selected".
    void cancel();
    // Called with 0-100 while the library reports a transfer's progress.
    void setProgressHandler(std::function<void(int)> handler) {
        progressHandler_ = std::move(handler);
    }

  private:
    std::shared_ptr<kvcom3::ISensMem> sensor_;
    ConnectionChoice choice_;
    std::function<void(int)> progressHandler_;
};
