#include <array>
#include <cmath>
#include <fstream>
#include <system_error>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"
#include "model/clsErrors.h"
#include "procedures/DefinitionFiles.h"

namespace kvcal3 {

namespace {

constexpr std::size_t kFirstField = 136;
constexpr std::size_t kFieldCount = 11;
// The number the runtime reports for a read past the end of a file.
constexpr std::int32_t kInputPastEndOfFile = 62;

std::int32_t littleEndian32(const unsigned char* bytes) {
    const std::uint32_t value =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(value);
}

// The eleven coefficient fields; a file too short to hold them is refused as a whole.
std::array<std::int32_t, kFieldCount> readFields(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        kvcom3::raisePlatformError(kvcom3::platform_error::PathFileAccess,
                                   "cannot open " + path.string());
    }
    std::array<unsigned char, kSnsDefFileSize> bytes{};
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const auto got = file.gcount();
    if (got != static_cast<std::streamsize>(bytes.size())) {
        throw kvcom3::KvError(kInputPastEndOfFile, "Input past end of file: " + path.string() +
                                                       " has " + std::to_string(got) +
                                                       " bytes, a sensor definition file " +
                                                       std::to_string(kSnsDefFileSize));
    }
    std::array<std::int32_t, kFieldCount> fields{};
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        fields[i] = littleEndian32(bytes.data() + kFirstField + 4 * i);
    }
    return fields;
}

float coefficient(std::int32_t mantissa, std::int32_t exponent) {
    return kvcom3::toSingle(mantissa * std::pow(10.0, exponent));
}

}  // namespace

void kvCalProcedure::GetSnsDef(std::uint8_t btePart, float& dA, float& dB, float& dC, float& dD,
                               float& dE, float& dTmax) {
    const std::filesystem::path path =
        snsDefPath(btePart, programDirectory(), snsDefFallbackDirectory());
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) clsErrors().Raise(calSnsDefNotFound);
    const auto fields = readFields(path);
    dA = coefficient(fields[0], fields[1]);
    dB = coefficient(fields[2], fields[3]);
    dC = coefficient(fields[4], fields[5]);
    dD = coefficient(fields[6], fields[7]);
    dE = coefficient(fields[8], fields[9]);
    dTmax = kvcom3::toSingle(fields[10]);
}

}  // namespace kvcal3
