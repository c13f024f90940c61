#pragma once

#include <string>

namespace kvcal3 {

// A single-precision number as the classic runtime writes it, with the decimal separator of the
// user's numeric locale (a program that never sets its locale gets ".").
std::string userNumberText(float value);

}  // namespace kvcal3
