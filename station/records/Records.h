#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace station {

// One run of a recipe at a station.
struct RunRecord {
    std::string id;
    std::string station;
    std::string operatorName;
    std::string recipe;
    std::string started;
    std::string finished;  // empty while running
};

// How a position ended; "running" stays for a worker that was killed before it could say.
inline constexpr const char* kRunning = "running";
inline constexpr const char* kPassed = "passed";
inline constexpr const char* kFailed = "failed";
inline constexpr const char* kInterrupted = "interrupted";

// One sensor position of one line in one run.
struct PositionRecord {
    std::string runId;
    std::string line;
    int board = 0;
    int position = 0;
    std::string serial;  // empty until the sensor answered
    std::optional<int> platform;
    std::optional<int> part;
    std::string status = kRunning;
    std::optional<int> errorNumber;
    std::string errorText;
    std::string started;
    std::string finished;
};

// One step of the recipe at one position, numbered from 1 in the order it ran.
struct StepRecord {
    int index = 0;
    std::string kind;    // read, set, calibrate, check, wait, backup
    std::string target;  // key, procedure, seconds or file
    std::string before;
    std::string after;
    std::optional<bool> passed;  // checks only
    std::optional<int> errorNumber;
    std::string errorText;
    std::string started;
    std::string finished;
};

}  // namespace station
