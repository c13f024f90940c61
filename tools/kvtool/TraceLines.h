#pragma once

#include <ostream>

namespace kvtool {

// Prints every frame the library sends or receives on `err`, a line each: the seconds since
// the start, '>' for sent or '<' for received, and the bytes in hexadecimal, for example
// "12.345 > 02 41 00 14".
void traceFrames(std::ostream& err);

}  // namespace kvtool
