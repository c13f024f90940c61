#pragma once

namespace station {

// The kvstation command line: run, check, report and the hidden worker. Returns the exit
// status.
int runProgram(int argc, char** argv);

}  // namespace station
