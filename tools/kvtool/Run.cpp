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

namespace {

// A command that failed after it changed EEPROM bytes gets one try to put them back; when that
// fails too, the message names the command that will do it later.
void rollBack(kvcom3::ISensMem& sensor) {
    const auto place = kvcom3::lastJournalOperation();
    if (!place) return;
    const std::string id = std::to_string(place->operation);
    const std::string later = "; 'kvtool undo " + id + "' puts them back when the sensor answers";
    try {
        for (const auto& op : kvcom3::journalOperations(kvcom3::readJournal(place->file))) {
            if (op.id != place->operation) continue;
            kvcom3::setJournalOperation("undo " + id);
            const auto undo = kvcom3::undoJournalOperation(*sensor.AdressLevel(), op, false);
            if (undo.conflicts.empty())
                std::cerr << "kvtool: the EEPROM bytes this command had changed are back as they "
                             "were (operation "
                          << id << ", " << undo.restored << " bytes written)\n";
            else
                std::cerr << "kvtool: " << undo.conflicts.size()
                          << " EEPROM bytes changed meanwhile; nothing put back" << later << '\n';
        }
    } catch (const kvcom3::KvError& e) {
        std::cerr << "kvtool: the EEPROM bytes this command changed could not be put back (error "
                  << e.number() << ": " << e.description() << ")" << later << '\n';
    }
}

}  // namespace

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
        rollBack(sensor);
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
