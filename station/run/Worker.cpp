#include "run/Worker.h"

#include <algorithm>
#include <iostream>
#include <memory>

#include "kvcom3/Clock.h"
#include "kvcom3/Enums.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"
#include "kvcom3/UtcTime.h"
#include "recipe/Recipe.h"
#include "records/RecordStore.h"
#include "records/Store.h"
#include "run/Events.h"
#include "run/Interrupt.h"
#include "run/StepRunner.h"

namespace station {

namespace {

constexpr int kCancelled = 32755;

// The sensor is not the one the recipe is for; no library number fits.
class WrongSensor : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string list(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers) text += (text.empty() ? "" : ", ") + std::to_string(n);
    return text;
}

void requireExpected(const Recipe& recipe, const PositionRecord& p) {
    if (recipe.platform && p.platform != recipe.platform)
        throw WrongSensor("platform " + std::to_string(p.platform.value_or(0)) +
                          " is not the recipe's " + std::to_string(*recipe.platform));
    if (!recipe.parts.empty() &&
        std::find(recipe.parts.begin(), recipe.parts.end(), p.part) == recipe.parts.end())
        throw WrongSensor("part number " + std::to_string(p.part.value_or(0)) +
                          " is not one of the recipe's (" + list(recipe.parts) + ")");
}

// Ctrl-C reaches the transfer under way through the library's event pump, for as long as this
// position's sensor lives.
class CancelOnInterrupt {
  public:
    explicit CancelOnInterrupt(kvcom3::ISensMem& sensor) {
        kvcom3::setEventPump([&sensor] {
            if (interrupted()) sensor.Cancel();
        });
    }
    ~CancelOnInterrupt() { kvcom3::setEventPump(nullptr); }
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;
};

class LineRun {
  public:
    LineRun(const Recipe& recipe, const RecipeLine& line, const std::string& runId,
            RecordStore& store, std::ostream& events)
        : recipe_(recipe), line_(line), runId_(runId), store_(store), events_(events) {}

    // Whether the position passed.
    bool position(int at) {
        PositionRecord p;
        p.runId = runId_;
        p.line = line_.name;
        p.board = line_.board;
        p.position = at;
        p.started = kvcom3::utcTimestamp();
        store_.beginPosition(p);
        emit(positionEvent(p));
        auto sensor = std::make_shared<kvcom3::ISensMem>();
        const CancelOnInterrupt cancel(*sensor);
        std::unique_ptr<StepRunner> steps;
        try {
            connect(*sensor, at);
            p.platform = sensor->Platform();
            p.part = sensor->PartNr();
            p.serial = sensor->SerialNr();
            store_.identify(p);
            requireExpected(recipe_, p);
            steps = std::make_unique<StepRunner>(sensor, recipe_.steps);
            const bool passed = steps->run(p.serial, [&](const StepRecord& step) {
                store_.addStep(p, step);
                emit(stepEvent(p, step));
            });
            p.status = passed ? kPassed : kFailed;
        } catch (const kvcom3::KvError& e) {
            p.status = e.number() == kCancelled && interrupted() ? kInterrupted : kFailed;
            p.errorNumber = e.number();
            p.errorText = e.description();
            if (steps && steps->cutShortWrite()) putBack(*sensor, p);
        } catch (const SqlError&) {
            throw;
        } catch (const std::exception& e) {
            p.status = kFailed;
            p.errorText = e.what();
        }
        close(*sensor);
        p.finished = kvcom3::utcTimestamp();
        store_.finishPosition(p);
        emit(resultEvent(p));
        return p.status == kPassed;
    }

  private:
    void connect(kvcom3::ISensMem& sensor, int at) {
        if (!line_.device.empty()) kvcom3::bindPort(line_.port, line_.device);
        sensor.LetProtokoll(line_.protocol == "modbus" ? kvcom3::kvMB : kvcom3::kvKV);
        sensor.LetLeavePortOpen(true);
        sensor.Connect(static_cast<std::int16_t>(line_.port), static_cast<std::int16_t>(line_.id),
                       static_cast<std::int16_t>(at),
                       static_cast<std::int16_t>(static_cast<std::uint16_t>(line_.board)));
    }

    // A write the failure cut short gets one try to be put back, so no sensor leaves the
    // station half written; what happened goes with the error, so the record says whether
    // `kvtool undo` is still needed. Completed steps stay: they are in the record.
    static void putBack(kvcom3::ISensMem& sensor, PositionRecord& p) {
        // The put-back must not be cancelled in its turn by the Ctrl-C that cut the write.
        kvcom3::setEventPump(nullptr);
        const auto back = kvcom3::rollBackLastOperation(*sensor.AdressLevel());
        if (back.result != kvcom3::JournalRollBack::Result::Nothing)
            p.errorText += "; " + back.message();
    }

    void close(kvcom3::ISensMem& sensor) {
        try {
            sensor.ClosePort(static_cast<std::int16_t>(line_.port));
        } catch (const kvcom3::KvError&) {
            // The position's own outcome is already set; a port that will not close shows at
            // the next position.
        }
    }

    void emit(const std::string& event) { events_ << event << '\n' << std::flush; }

    const Recipe& recipe_;
    const RecipeLine& line_;
    const std::string& runId_;
    RecordStore& store_;
    std::ostream& events_;
};

}  // namespace

int runWorker(const WorkerOptions& options, std::ostream& events) {
    watchForInterrupt();
    try {
        const Recipe recipe = readRecipe(options.recipe);
        const RecipeLine& line = recipe.lines.at(options.line);
        auto db = openStore(options.db);
        RecordStore store(*db);
        kvcom3::enableJournal("kvstation");
        LineRun run(recipe, line, options.runId, store, events);
        bool allPassed = true;
        for (int at : line.positions) {
            if (interrupted() || !events) break;
            allPassed = run.position(at) && allPassed;
        }
        return allPassed && !interrupted() ? 0 : 1;
    } catch (const SqlError& e) {
        std::cerr << "kvstation: " << e.what() << '\n';
        return 3;
    } catch (const std::exception& e) {
        std::cerr << "kvstation: line " << options.line << ": " << e.what() << '\n';
        return 2;
    }
}

}  // namespace station
