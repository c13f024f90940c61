#include "model/clsErrors.h"

#include <array>

#include "kvcom3/KvError.h"

namespace kvcal3 {

namespace {

struct Row {
    std::int32_t number;
    const char* text;
};

// The texts callers have always seen, spelling included.
constexpr std::array<Row, 19> kErrors{{
    {1000, "Procedure not found"},
    {32755, "Cancel was selected"},
    {1001, "Unknown channel"},
    {1002, "Cant calibrate this sensot type"},
    {1003, "DB is locked"},
    {1004, "Sensor definition file not found"},
    {1005, "Span gas not set"},
    {1006, "Preassure not set"},
    {1007, "COdivider to high"},
    {1008, "COdivider to low"},
    {1009, "RH offset not set"},
    {1010, "RH slope not set"},
    {1011, "Input value is to high or to low"},
    {1012, "Zero is to high or to low"},
    {1013, "AH comp factor is to high or to low"},
    {1014, "Table value is to high or to low"},
    {1015, "No reaktion in CO old after heater change"},
    {1016, "Cant calibrate heater"},
    {1017, "To low signal"},
}};

}  // namespace

void clsErrors::Raise(std::int32_t RaiseError, const std::string& msg) const {
    if (RaiseError < 0 || RaiseError >= static_cast<std::int32_t>(kErrors.size())) {
        kvcom3::raisePlatformError(kvcom3::platform_error::InvalidCall,
                                   "calibration error index " + std::to_string(RaiseError));
    }
    const Row& row = kErrors[static_cast<std::size_t>(RaiseError)];
    throw kvcom3::KvError(row.number, std::string(row.text) + " " + msg);
}

}  // namespace kvcal3
