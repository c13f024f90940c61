// The four loggers: their parameters at the TWA base address, their items where each logger's
// buffer pointer says, as many as its buffer size.
#include "map/Map78.h"

namespace kvcom3 {

void addLoggers(Map78& map, kvArrayNodes& eeprom) {
    // Without a flash processor both groups hang under one "Loggers" group.
    kvArrayNodes& parent = map.full ? eeprom : group(eeprom, "Loggers");
    const std::int32_t base = map.read("eaBa_TWAarray");
    kvArrayNodes& parameters = group(parent, "LoggPar");
    for (int c = 0; c < 4; ++c) {
        kvArrayNodes& logger = group(parameters, indexed("LoggPar_", c));
        const std::int32_t adr = base + 8 * c;
        cell(logger, indexed("LoggBufferSize_", c), adr, 2);
        cell(logger, indexed("LoggStartValue_", c), adr + 2, 2);
        cell(logger, indexed("LoggBufferPtr_", c), adr + 4, 2);
        cell(logger, indexed("LoggReserved_", c), adr + 6, 2);
    }
    kvArrayNodes& channels = group(parent, "LoggChannels");
    for (int c = 0; c < 4; ++c) {
        const std::int32_t size = map.read(indexed("eaLoggBufferSize_", c));
        const std::int32_t pointer = map.read(indexed("eaLoggBufferPtr_", c));
        kvArrayNodes& channel = group(channels, indexed("LoggChannel_", c));
        for (std::int32_t j = 0; j < size; ++j)
            cell(channel, indexed("LoggItem_", c, j), pointer + 2 * j, 2);
    }
}

}  // namespace kvcom3
