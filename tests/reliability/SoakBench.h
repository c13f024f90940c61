#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "kvcom3/clsAdressLevel.h"
#include "util/FakeSensor.h"
#include "wire/Bench.h"
#include "wire/Line.h"

namespace kvrel {

// What a soak run counted. A sound library ends with every "wrong" and "left" figure at zero.
struct SoakFigures {
    long operations = 0;        // reads, writes and commands started
    long attempts = 0;          // exchanges the sensor took part in
    long faultsInjected = 0;    // scheduled faults that met an exchange
    long faultsOnDoomed = 0;    // of them, on transfers faulted at every attempt
    long failures = 0;          // operations that ended in an error
    long doomed = 0;            // operations whose every attempt was given a fault
    long wrongNumbers = 0;      // an error other than the one the faults call for, or none
    long wrongValues = 0;       // image bytes the sensor did not send, or sensor bytes not written
    long crashes = 0;           // anything thrown that is not the library's error
    long hangs = 0;             // operations that ran past their time budget
    long portLeftOpen = 0;      // port open after an operation without leave-port-open
    long eepromUnlocked = 0;    // sensor EEPROM left unlocked after an operation
    double longestSeconds = 0;  // the longest operation, on the library clock
    std::vector<std::string> problems;  // the first few, for the failure message

    std::string summary(const std::string& title) const;
};

// A sensor of platform 8 (byte access, command set 2) or 6 (word EEPROM, command set 1) with
// recognisable memories and registers.
std::shared_ptr<kvtest::FakeSensor> soakSensor(int platform = 8);

// Runs seeded random reads, writes and commands of every memory type of the protocol through
// `level` on port `port`, with a seeded random fault on `faultRate` of the exchanges. Every
// `doomedEvery`-th operation (0: none) is a single transfer whose every attempt meets a fault; it
// must end with the number that fault sequence calls for. gProtokoll and gConnection are set by
// the caller.
class SoakRun {
  public:
    SoakRun(kvsim::Line& line, kvtest::FakeSensor& sensor, kvcom3::clsAdressLevel& level, int port,
            kvsim::Protocol protocol, std::uint32_t seed);

    double faultRate = 0.05;
    int doomedEvery = 0;

    void run(long operations);
    const SoakFigures& figures() const { return figures_; }

  private:
    enum class Op { Read, Write, Command };
    struct Plan {
        Op op = Op::Read;
        std::uint8_t memType = 0;
        std::int32_t start = 0;
        std::int32_t count = 0;
        int command = 0;
        bool doomed = false;
    };

    Plan plan();
    Plan doomedPlan();
    void schedule(const Plan& plan, std::uint32_t firstExchange);
    std::int32_t expectedNumber(const Plan& plan, std::uint32_t firstExchange,
                                std::uint32_t lastExchange) const;
    void execute(const Plan& plan, std::vector<std::uint8_t>& written);
    void check(const Plan& plan, const std::vector<std::uint8_t>& written, bool failed,
               std::int32_t number, std::uint32_t firstExchange, std::uint32_t lastExchange);
    std::uint8_t sensorByte(std::uint8_t memType, std::int32_t adr) const;
    void problem(long& counter, const std::string& text);
    int random(int low, int high);
    std::int32_t limitOf(std::uint8_t memType) const;

    kvsim::Line& line_;
    kvtest::FakeSensor& sensor_;
    kvcom3::clsAdressLevel& level_;
    int port_;
    kvsim::Protocol protocol_;
    std::mt19937 random_;
    bool wordEeprom_;
    std::map<std::uint32_t, kvsim::Fault> scheduled_;  // exchange number -> fault
    SoakFigures figures_;
};

// The number of open file descriptors of this process.
int openDescriptors();

}  // namespace kvrel
