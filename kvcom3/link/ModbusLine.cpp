#include "link/ModbusLine.h"

#include "link/ModbusFrames.h"

namespace kvcom3::modbus {

LineSettings lineSettings(std::uint32_t baud) {
    LineSettings settings = LineSettings::parse(kLineSettings);
    settings.baud = baud;
    return settings;
}

std::chrono::microseconds frameSilence(const LineSettings& settings) {
    if (settings.baud > 19200) return std::chrono::microseconds(1750);
    const long long bits =
        1 + settings.dataBits + (settings.parity == 'n' ? 0 : 1) + settings.stopBits;
    // Rounded up: a silence one microsecond short is no silence.
    return std::chrono::microseconds((3'500'000 * bits + settings.baud - 1) / settings.baud);
}

}  // namespace kvcom3::modbus
