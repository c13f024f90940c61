#pragma once

#include <cstdint>

#include "kvcom3/Variant.h"
#include "objects/CellReader.h"
#include "objects/FormatTokens.h"

namespace kvcom3::objects {

// What the words of a format reach besides the value: the auxiliary cells (scaling codes, gas
// tables, span and zero) and whether the object's unit turns temperatures into Fahrenheit.
struct FormatContext {
    CellReader cells;
    bool fahrenheit = false;
};

// Raw cell value to user value: slots 0-4 in order, empty ones skipped. "target" and "sample"
// take the following one or two tokens as the keys of their span and zero cells. An unknown
// word, or "target"/"sample" anywhere but first, raises 1204 "Unknown format".
Variant formatToUser(const FormatTokens& tokens, Variant value, const FormatContext& context);

// User value to raw cell value: slots 4-0 in reverse, each word inverted; words without an
// inverse ("round", the span and zero keys, unknown words) change nothing. A time that has no
// time code raises Invalid property value (380).
Variant formatFromUser(const FormatTokens& tokens, Variant value, const FormatContext& context);

// The bit field `mask` of a cell value, shifted down to its lowest bit; a mask below 1 keeps
// the whole value.
Variant bitField(std::int32_t value, std::int32_t mask);

// The time code's seconds (a 16-bit Integer, or a Long above 32767) or Empty for a code
// without a time; and the code of a time (Empty when none).
Variant twaTimeOf(const Variant& code);
Variant twaCodeOf(const Variant& seconds);

}  // namespace kvcom3::objects
