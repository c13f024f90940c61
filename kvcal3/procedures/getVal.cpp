#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"

namespace kvcal3 {

float kvCalProcedure::getVal(const std::string& Txt) {
    // Users type either decimal separator and often a unit; keep only what a number is made of
    // and read it the invariant way, so a second separator ends the number.
    std::string number;
    for (char c : Txt) {
        if (c >= '0' && c <= '9') {
            number.push_back(c);
        } else if (c == ',' || c == '.') {
            number.push_back('.');
        } else if (c == '-') {
            number.push_back('-');
        }
    }
    return kvcom3::toSingle(kvcom3::val(number));
}

}  // namespace kvcal3
