// Numbers typed by users or read back as text: the calibration input reader and the number
// parsers under it. Library errors are the only way out.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    static kvcal3::kvCalProcedure procedure;
    try {
        const float typed = procedure.getVal(text);
        if (std::isnan(typed)) std::abort();
    } catch (const kvcom3::KvError&) {
    }
    try {
        const double value = kvcom3::val(text);
        if (std::isnan(value)) std::abort();
        kvcom3::doubleToText(value);
    } catch (const kvcom3::KvError&) {
    }
    try {
        kvcom3::parseNumber(text);
    } catch (const kvcom3::KvError&) {
    }
    return 0;
}
