#include "Run.h"

#include <unistd.h>

#include <exception>
#include <iostream>
#include <memory>

#include "Interrupt.h"
#include "Memory.h"
#include "Reporter.h"
#include "kvcom3/Clock.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvtool {

std::string Outcome::text() const {
    if (!number) return "error: " + description;
    return "error " + std::to_string(*number) + ": " + description;
}

Outcome runOnce(const CommandList& commands, const ConnectionOptions& options, bool json,
                std::ostream& out) {
    // Shared, because the calibration library holds on to the sensor it is given.
    auto shared = std::make_shared<kvcom3::ISensMem>();
    kvcom3::ISensMem& sensor = *shared;
    // A progress bar would tear the frame trace apart.
    const bool bar = isatty(STDERR_FILENO) == 1 && !options.trace;
    Reporter reporter(sensor, std::cerr, options.log, bar);
    cancelOnInterrupt(sensor);
    Outcome outcome;
    try {
        openConnection(sensor, options);
        Session session{shared, out, json};
        commands.run(session);
        out.flush();
    } catch (const kvcom3::KvError& e) {
        outcome = {true, false, e.number(), e.description()};
        // A command that failed after it changed EEPROM bytes gets one try to put them back.
        const auto back = kvcom3::rollBackLastOperation(*sensor.AdressLevel());
        if (back.result != kvcom3::JournalRollBack::Result::Nothing)
            std::cerr << "kvtool: " << back.message() << '\n';
    } catch (const BadAddress& e) {
        outcome = {true, true, std::nullopt, e.what()};
    } catch (const std::exception& e) {
        outcome = {true, false, std::nullopt, e.what()};
    }
    try {
        closeConnection(sensor, options);
    } catch (const kvcom3::KvError& e) {
        if (!outcome.failed) outcome = {true, false, e.number(), e.description()};
    }
    kvcom3::setEventPump(nullptr);
    return outcome;
}

}  // namespace kvtool
