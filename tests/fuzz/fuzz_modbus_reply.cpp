// Modbus reply judging: every verdict must come from the reply's bytes alone, whatever they are;
// an accepted read or write must be a reply of the expected length behind a valid CRC.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "link/ModbusFrames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t function = data[0];
    const std::size_t count = data[1];
    const std::span<const std::uint8_t> reply(data + 2, size - 2);

    auto read = kvcom3::modbus::judgeRead(reply, function, count);
    if (read.accepted && (reply.size() != count + 5 || !kvcom3::modbus::crcMatches(reply))) {
        std::abort();
    }
    auto write = kvcom3::modbus::judgeWrite(reply, 1, function);
    if (write.accepted && (reply.size() != kvcom3::modbus::writeReplyLength(function) ||
                           !kvcom3::modbus::crcMatches(reply))) {
        std::abort();
    }
    auto command = kvcom3::modbus::judgeCommand(reply);
    if (command.accepted && command.notAck) std::abort();
    return 0;
}
