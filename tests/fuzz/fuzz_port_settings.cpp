// The service tool's port selection read back from the user's settings, whatever the store holds:
// three texts separated by NUL bytes (a missing one is absent from the store).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "PortChoice.h"
#include "kvcom3/KvError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<QVariant> stored;
    std::size_t start = 0;
    while (stored.size() < 3 && start <= input.size()) {
        std::size_t end = input.find('\0', start);
        if (end == std::string_view::npos) end = input.size();
        const std::string_view field = input.substr(start, end - start);
        stored.emplace_back(QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())));
        start = end + 1;
    }
    stored.resize(3);
    const PortChoice choice = readPortChoice(stored[0], stored[1], stored[2]);
    // One protocol is always chosen, whatever the store holds.
    if (choice.kvbus == choice.modbus) std::abort();
    try {
        comPortNumber(choice.comPort);
    } catch (const kvcom3::KvError&) {
    }
    return 0;
}
