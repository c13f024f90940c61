#pragma once

#include <cstdint>
#include <string>

#include "kvcal3/kvCalItems.h"

namespace kvcal3 {

// The value an input holds until the caller sets it.
inline constexpr std::int16_t NotSetMarker = -32767;

// One input variable of a procedure.
class kvCalProcInput : public kvcom3::VariantObject {
  public:
    // The name shown to the user, the key the procedure looks the input up by ("cv..."), and the
    // value the caller sets before Run (NotSetMarker until then; some procedures reset it).
    std::string Name;
    std::string Key;
    kvcom3::Variant Value{NotSetMarker};
};

// True while the input holds the marker a new input starts with.
inline bool isNotSet(const kvCalProcInput& input) {
    return input.Value == kvcom3::Variant(NotSetMarker);
}

// The inputs of a procedure.
class kvCalProcInputs : public kvCalItems<kvCalProcInput> {};

}  // namespace kvcal3
