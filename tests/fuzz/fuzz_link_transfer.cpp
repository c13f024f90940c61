// Whole KVBUS and Modbus transfers, and the production-network switch, against a line that
// answers with the fuzz input. Any outcome but a value or a library error is a fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "AdressLevelTestAccess.h"
#include "ReplyDevice.h"
#include "facade/LibraryState.h"
#include "kvcom3/KvError.h"
#include "kvcom3/ManualClock.h"
#include "kvcom3/Ports.h"

namespace {

constexpr int kPort = 3;

struct Setup {
    Setup() { kvcom3::setClock(std::make_shared<kvcom3::ManualClock>()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setup setup;
    if (size < 6) return 0;
    using Access = kvcom3::AdressLevelTestAccess;
    const std::uint8_t operation = data[0] % 8;
    const std::int32_t adr = data[1] | (data[2] & 0x0F) << 8;
    const std::uint8_t count = std::max<std::uint8_t>(1, data[3]);
    const std::uint8_t memType = (data[4] & 0x7F) % 6;
    const std::int16_t id = static_cast<std::int16_t>(data[5] % 33) - 1;
    const std::span<const std::uint8_t> script(data + 6, size - 6);

    kvcom3::gConnection = kvcom3::Connection{true, kPort, id, 0, 0};
    kvcom3::gCancel = false;
    kvcom3::gLeavePortOpen = false;
    const bool modbus = (operation >= 4 && operation < 7) || (operation == 7 && data[4] >= 0x80);
    kvcom3::gProtokoll = modbus ? kvcom3::kvMB : kvcom3::kvKV;
    kvcom3::bindPort(kPort, std::make_shared<ReplyDevice>(script));
    kvcom3::clsAdressLevel level;
    try {
        switch (operation % 4) {
            case 0: Access::ReadBlock(level, adr, count, memType); break;
            case 1:
                for (std::int32_t a = adr; a < adr + count; ++a) {
                    Access::setImage(level, a, memType, static_cast<std::uint8_t>(a));
                }
                Access::WriteBlock(level, adr, count, memType);
                break;
            case 2:
                Access::SendCommand(level, static_cast<kvcom3::kvSensorCommands>(data[3] % 11));
                break;
            case 3:
                if (operation == 7) {
                    level.Value(adr, 1 + data[3] % 4, memType, true);
                } else {
                    kvcom3::gConnection.ComIDx = static_cast<std::int16_t>(1 + data[3]);
                    kvcom3::gConnection.ComIDy = static_cast<std::int16_t>(adr);
                    Access::SelectPosition(level);
                }
                break;
        }
    } catch (const kvcom3::KvError&) {
    }
    kvcom3::unbindPort(kPort);
    return 0;
}
