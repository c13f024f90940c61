#pragma once

#include <string>

#include "records/Records.h"

namespace station {

// What a worker tells the station about its line, one JSON object a line on its standard
// output; the station shows them as progress or passes them on with --json:
//   {"event":"position","line":"A","board":1,"position":3}                 a position starts
//   {"event":"step","line":"A","position":3,"step":2,"kind":"check",...}   a step finished
//   {"event":"result","line":"A","position":3,"serial":"15200001","status":"passed",...}
std::string positionEvent(const PositionRecord& position);
std::string stepEvent(const PositionRecord& position, const StepRecord& step);
std::string resultEvent(const PositionRecord& position);

}  // namespace station
