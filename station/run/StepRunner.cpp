#include "run/StepRunner.h"

#include <poll.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <limits>
#include <sstream>

#include "kvcom3/EepromChanges.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/SensorBackup.h"
#include "kvcom3/SensorRestore.h"
#include "kvcom3/UtcTime.h"
#include "run/Interrupt.h"

namespace station {

namespace {

bool sameKey(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

kvcom3::Variant variantOf(const RecipeValue& value) {
    if (const auto* whole = std::get_if<std::int64_t>(&value)) {
        if (*whole >= std::numeric_limits<std::int32_t>::min() &&
            *whole <= std::numeric_limits<std::int32_t>::max())
            return kvcom3::Variant(static_cast<kvcom3::VbLong>(*whole));
        return kvcom3::Variant(static_cast<double>(*whole));
    }
    if (const auto* real = std::get_if<double>(&value)) return kvcom3::Variant(*real);
    return kvcom3::Variant(std::get<std::string>(value));
}

std::string read(const kvcom3::Target& target) {
    return kvcom3::readingText(kvcom3::readTarget(target, true));
}

std::string limits(const RecipeStep& step) {
    return step.keys.front() + " (" + (step.min ? number(*step.min) : "") + " to " +
           (step.max ? number(*step.max) : "") + ")";
}

// A wait that Ctrl-C cuts short; poll() sleeps without a descriptor and returns on a signal.
void pause(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!interrupted()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        poll(nullptr, 0, static_cast<int>(std::min<std::int64_t>(left.count(), 1000)));
    }
    throw kvcom3::KvError(32755, "Cancel was selected");
}

std::string cellList(const std::vector<kvcom3::CellChange>& cells, bool after) {
    std::string text;
    for (const auto& c : cells)
        text += (text.empty() ? "" : ", ") + c.cell->Key() + "=" +
                std::to_string(after ? c.after : c.before);
    return text;
}

}  // namespace

StepRunner::StepRunner(std::shared_ptr<kvcom3::ISensMem> sensor,
                       const std::vector<RecipeStep>& steps)
    : sensor_(std::move(sensor)) {
    calibration_.SetSensor(sensor_);
    for (const RecipeStep& step : steps) {
        Resolved r{&step, {}, nullptr};
        for (const std::string& key : step.keys)
            r.targets.push_back(kvcom3::findTarget(*sensor_, key));
        if (step.kind == StepKind::Calibrate) {
            r.procedure = calibration_.GetProcedure(step.procedure);
            for (const auto& [key, value] : step.inputs) {
                std::shared_ptr<kvcal3::kvCalProcInput> found;
                for (const auto& input : *r.procedure->InputVariables())
                    if (sameKey(input->Key, key)) found = input;
                if (!found)
                    kvcom3::raisePlatformError(kvcom3::platform_error::InvalidCall,
                                               step.procedure + " has no input " + key);
                found->Value = kvcom3::Variant(value);
            }
        }
        resolved_.push_back(std::move(r));
    }
}

StepRunner::~StepRunner() {
    calibration_.SetSensor(nullptr);
}

bool StepRunner::run(const std::string& serial,
                     const std::function<void(const StepRecord&)>& done) {
    int index = 0;
    bool passed = true;
    for (const Resolved& r : resolved_) {
        runOne(r, serial, index, done, passed);
        if (!passed) return false;
    }
    return true;
}

void StepRunner::runOne(const Resolved& r, const std::string& serial, int& index,
                        const std::function<void(const StepRecord&)>& done, bool& passed) {
    const RecipeStep& step = *r.step;
    const std::size_t parts = step.kind == StepKind::Read ? r.targets.size() : 1;
    for (std::size_t i = 0; i < parts; ++i) {
        StepRecord record;
        record.index = ++index;
        record.kind = stepKindName(step.kind);
        record.started = kvcom3::utcTimestamp();
        try {
            switch (step.kind) {
                case StepKind::Read:
                    record.target = step.keys[i];
                    record.after = read(r.targets[i]);
                    break;
                case StepKind::Set:
                    record.target = step.keys.front();
                    record.before = read(r.targets.front());
                    kvcom3::setJournalOperation("set " + step.keys.front());
                    writing_ = true;
                    kvcom3::writeTarget(r.targets.front(), variantOf(step.value));
                    writing_ = false;
                    record.after = read(r.targets.front());
                    break;
                case StepKind::Check: {
                    record.target = limits(step);
                    const kvcom3::Reading reading = kvcom3::readTarget(r.targets.front(), true);
                    const double value = reading.value.toDouble();
                    record.after = kvcom3::readingText(reading);
                    record.passed =
                        (!step.min || value >= *step.min) && (!step.max || value <= *step.max);
                    passed = *record.passed;
                    break;
                }
                case StepKind::Calibrate: {
                    const StepRecord result = calibrate(r);
                    record.target = result.target;
                    record.before = result.before;
                    record.after = result.after;
                    break;
                }
                case StepKind::Wait:
                    record.target = number(step.seconds) + " s";
                    pause(step.seconds);
                    break;
                case StepKind::Backup: {
                    const StepRecord result = backup(step, serial);
                    record.target = result.target;
                    record.after = result.after;
                    break;
                }
            }
        } catch (const kvcom3::KvError& e) {
            record.errorNumber = e.number();
            record.errorText = e.description();
            record.finished = kvcom3::utcTimestamp();
            done(record);
            throw;
        } catch (const std::exception& e) {
            record.errorText = e.what();
            record.finished = kvcom3::utcTimestamp();
            done(record);
            throw;
        }
        record.finished = kvcom3::utcTimestamp();
        done(record);
    }
}

// The cells the procedure changed, before and after, as the journal recorded its writes.
StepRecord StepRunner::calibrate(const Resolved& r) {
    StepRecord record;
    record.target = r.step->procedure;
    const kvcom3::EepromChangeWatch watch(*sensor_);
    kvcom3::setJournalOperation("calibrate " + r.step->procedure);
    writing_ = true;
    const kvcom3::Variant result = r.procedure->Run();
    writing_ = false;
    const auto changed = watch.changed();
    record.before = cellList(changed, false);
    record.after = cellList(changed, true);
    if (!result.isEmpty())
        record.after +=
            (record.after.empty() ? "" : ", ") + std::string("result ") + result.toString();
    return record;
}

StepRecord StepRunner::backup(const RecipeStep& step, const std::string& serial) {
    std::string stamp = kvcom3::utcTimestamp();
    std::erase_if(stamp, [](char c) { return c == '-' || c == ':' || c == '.'; });
    const std::filesystem::path file =
        std::filesystem::path(step.folder) / (serial + "-" + stamp + ".kvbackup");
    std::error_code error;
    std::filesystem::create_directories(step.folder, error);
    if (error)
        kvcom3::raisePlatformError(kvcom3::platform_error::PathFileAccess,
                                   step.folder + ": " + error.message());
    kvcom3::writeSensorBackup(file, kvcom3::takeSensorBackup(*sensor_->AdressLevel(), "kvstation"));
    StepRecord record;
    record.target = step.folder;
    record.after = file.string();
    return record;
}

}  // namespace station
