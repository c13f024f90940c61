#include "SensorConnection.h"

#include <QtGlobal>

#include "kvcom3/Enums.h"
#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"

SensorConnection::SensorConnection() = default;

SensorConnection::~SensorConnection() {
    close();
}

SensorIdentity SensorConnection::open(const ConnectionChoice& choice) {
    close();
    if (!choice.device.isEmpty()) kvcom3::bindPort(choice.port, choice.device.toStdString());
    choice_ = choice;
    auto sensor = std::make_shared<kvcom3::ISensMem>();
    sensor->Progress.connect([this](std::int16_t& percent) {
        if (progressHandler_) progressHandler_(percent);
    });
    sensor->LetProtokoll(choice.modbus ? kvcom3::kvMB : kvcom3::kvKV);
    sensor->LetLeavePortOpen(true);
    // The board travels as a 16-bit word; numbers above 32767 keep their bits.
    sensor->Connect(static_cast<std::int16_t>(choice.port), static_cast<std::int16_t>(choice.id),
                    static_cast<std::int16_t>(choice.position),
                    static_cast<std::int16_t>(static_cast<std::uint16_t>(choice.board)));
    sensor_ = sensor;
    try {
        SensorIdentity identity;
        identity.platform = sensor->Platform();
        identity.partNumber = sensor->PartNr();
        identity.serialNumber = sensor->SerialNr(true);
        identity.eepromSize = sensor->MemSize(kvcom3::enmEEPROM);
        return identity;
    } catch (...) {
        close();
        throw;
    }
}

void SensorConnection::close() {
    if (!sensor_) return;
    // Taken first: closing lets window events run, and they must find the connection closed.
    const std::shared_ptr<kvcom3::ISensMem> sensor = std::move(sensor_);
    sensor_.reset();
    try {
        sensor->ClosePort(static_cast<std::int16_t>(choice_.port));
        sensor->DisConnect();
        if (!choice_.device.isEmpty()) kvcom3::unbindPort(choice_.port);
    } catch (const kvcom3::KvError& e) {
        qWarning("kvworkbench: closing the port failed: %s", e.what());
    }
}

void SensorConnection::cancel() {
    if (sensor_) sensor_->Cancel();
}
