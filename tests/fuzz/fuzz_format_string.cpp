// The object tree's format strings and the conversions they drive: the first bytes pick the raw
// value and the auxiliary cells, the rest is the format. Library errors are the only way out.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "kvcom3/KvError.h"
#include "objects/FormatTokens.h"
#include "objects/FormatWords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    std::int32_t raw = 0;
    std::memcpy(&raw, data, sizeof raw);
    const std::uint8_t cellSeed = data[4];
    const std::uint8_t kind = data[5];
    const std::string_view format(reinterpret_cast<const char*>(data + 6), size - 6);

    using namespace kvcom3::objects;
    FormatContext context;
    context.fahrenheit = (kind & 0x10) != 0;
    context.cells = [&](const std::string& key) {
        std::uint32_t hash = cellSeed;
        for (char c : key) hash = hash * 31 + static_cast<unsigned char>(c);
        const auto value = static_cast<std::int32_t>(hash);
        return (kind & 0x20) ? value : value % 512;
    };
    kvcom3::Variant value;
    switch (kind % 4) {
        case 0: value = kvcom3::Variant(static_cast<kvcom3::VbInteger>(raw)); break;
        case 1: value = kvcom3::Variant(static_cast<kvcom3::VbLong>(raw)); break;
        case 2: value = kvcom3::Variant(static_cast<kvcom3::VbSingle>(raw) / 7.0f); break;
        default: value = kvcom3::Variant(static_cast<double>(raw) / 3.0); break;
    }
    try {
        const FormatTokens tokens = parseFormat(format);
        for (const FormatToken& token : tokens) token.cellKey();
        try {
            formatToUser(tokens, value, context);
        } catch (const kvcom3::KvError&) {
        }
        formatFromUser(tokens, value, context);
    } catch (const kvcom3::KvError&) {
    }
    bitField(raw, static_cast<std::int32_t>(cellSeed) << (kind % 24));
    try {
        twaCodeOf(twaTimeOf(kvcom3::Variant(static_cast<kvcom3::VbLong>(raw))));
    } catch (const kvcom3::KvError&) {
    }
    return 0;
}
