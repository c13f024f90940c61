#pragma once

#include <memory>
#include <string>

#include "kvcal3/kvCalProcedure.h"

namespace kvcal3 {

// What an input of the catalogue takes: a number, a whole number or free text; a number only
// within low ... high, the values the procedure can work with, in the input's own unit.
enum class InputKind { Number, Integer, Text };

struct InputRange {
    InputKind kind = InputKind::Number;
    double low = 0;
    double high = 0;
};

// The range of the input with `inputKey` (letter case ignored). A key the catalogue does not
// have takes any number a single can hold.
InputRange inputRange(const std::string& inputKey);

// The value `text` gives the input `inputKey`, checked before anything reaches the sensor: 380
// "Invalid property value" naming the key and the text for a number input that is not one (a
// whole number for a whole-number input), 1011 "Input value is to high or to low" followed by
// the key, the text and the range for a number outside its range. Text inputs take any text.
kvcom3::Variant checkedInputValue(const std::string& inputKey, const std::string& text);

// The input of `procedure` with `key` (letter case ignored); 5 "Invalid procedure call or
// argument" naming the procedure's inputs when it has none of that key.
std::shared_ptr<kvCalProcInput> findInput(kvCalProcedure& procedure, const std::string& key);

}  // namespace kvcal3
