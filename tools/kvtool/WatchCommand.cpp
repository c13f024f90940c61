#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "Interrupt.h"
#include "Json.h"
#include "Session.h"
#include "Values.h"
#include "kvcom3/Clock.h"
#include "kvcom3/DeviceReturn.h"
#include "kvcom3/KvError.h"

namespace kvtool {

namespace {

constexpr std::int32_t kCancel = 32755;
// Ctrl-C is looked for this often while waiting for the next reading.
constexpr std::chrono::milliseconds kSlice{50};
constexpr double kShortestInterval = 0.05;
constexpr double kLongestInterval = 86400;
// How often a watch whose device went away looks whether it is back.
constexpr std::chrono::milliseconds kLookInterval{250};

// Local wall-clock time to the millisecond, "2024-05-17T14:03:22.125".
std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(millis));
    return std::string(text, n) + fraction;
}

// Waits on the library clock until the deadline or Ctrl-C.
void waitFor(const kvcom3::Deadline& deadline) {
    while (!interruptRequested() && !deadline.expired())
        kvcom3::Sleep(std::min(kSlice, deadline.remaining()));
}

struct WatchOptions {
    std::string key;
    double interval = 1.0;
};

// A line about the device rather than a reading: as text, or as a JSON object with one member
// `key` besides the time.
void printLine(Session& s, const std::string& time, const std::string& text, const std::string& key,
               const JsonObject& json) {
    if (s.json)
        s.out << JsonObject().text("time", time).raw(key, json.str()).str() << '\n';
    else
        s.out << time << ' ' << text << '\n';
    s.out.flush();
}

// Says the sensor is gone, waits for its device to come back and connects to it anew. False when
// Ctrl-C came first.
bool awaitReturn(Session& s, kvcom3::DeviceReturn& device, const kvcom3::KvError& error,
                 const std::string& since) {
    const std::string failure =
        "error " + std::to_string(error.number()) + ": " + error.description();
    JsonObject gone;
    gone.text("since", since)
        .raw("error", JsonObject()
                          .number("number", error.number())
                          .text("description", error.description())
                          .str())
        .text("waitingFor", device.name());
    printLine(s, timestamp(),
              "sensor gone since " + since + " (" + failure + "), waiting for " + device.name(),
              "gone", gone);
    // The first look comes after a pause too: a device that keeps failing as soon as it is back
    // costs a few lines a second, not a busy loop.
    do {
        if (interruptRequested()) return false;
        waitFor(kvcom3::Deadline(kLookInterval));
    } while (!device.back());
    kvcom3::ISensMem& sensor = *s.sensor;
    // A new connection: the sensor behind the device may be another one.
    sensor.Connect(sensor.ComPort(), sensor.ComID(), sensor.ComIDx(), sensor.ComIDy());
    JsonObject back;
    back.text("goneSince", since).text("device", device.name());
    printLine(s, timestamp(), "sensor back on " + device.name() + ", gone since " + since, "back",
              back);
    return true;
}

void watch(Session& s, const WatchOptions& o) {
    kvcom3::DeviceReturn device(s.sensor->ComPort());
    std::optional<Target> target;
    const auto interval = std::chrono::milliseconds(static_cast<long long>(o.interval * 1000));
    while (!interruptRequested()) {
        // Counted from the start of a reading, so the time a transfer takes does not add up.
        const kvcom3::Deadline next(interval);
        const std::string time = timestamp();
        Reading reading;
        try {
            // Found again after a return: the map and tree belong to the sensor read.
            if (!target) target = findTarget(*s.sensor, o.key);
            reading = readTarget(*target, true);
        } catch (const kvcom3::KvError& e) {
            if (!device.gone(e)) throw;
            if (!awaitReturn(s, device, e, time)) return;
            target.reset();
            continue;
        }
        if (s.json) {
            JsonObject json;
            json.text("time", time);
            addReading(json, target->key, reading);
            s.out << json.str() << '\n';
        } else {
            s.out << time << ' ' << readingText(reading) << '\n';
        }
        s.out.flush();
        waitFor(next);
    }
}

}  // namespace

void addWatchCommand(CLI::App& app, CommandList& commands) {
    auto o = std::make_shared<WatchOptions>();
    auto* cmd = app.add_subcommand(
        "watch",
        "Read a memory cell or an object again and again, one line per reading with a "
        "timestamp, until Ctrl-C");
    cmd->add_option("KEY", o->key, "Key of a memory cell or an object, as for 'kvtool get'")
        ->required();
    cmd->add_option("--interval", o->interval, "Seconds from one reading to the next")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                std::size_t used = 0;
                double seconds = 0;
                try {
                    seconds = std::stod(text, &used);
                } catch (const std::logic_error&) {
                    used = 0;
                }
                // The negated test also turns away NaN.
                if (used != text.size() ||
                    !(seconds >= kShortestInterval && seconds <= kLongestInterval))
                    return "'" + text + "' is not a number of seconds from 0.05 to 86400";
                return {};
            },
            "SECONDS"))
        ->capture_default_str();
    cmd->footer(
        "Ctrl-C ends the watch with status 0. When the serial device goes away (an adapter pulled "
        "out), a line says \"sensor gone since TIME\" and the watch waits for the device to come "
        "back, by its /dev/serial/by-id name when it has one, and goes on; any other failed "
        "reading ends it with status 1.\n"
        "Example: kvtool --device /tmp/kvsim watch foChannelValue4 --interval 2\n"
        "Example: kvtool --json --device /tmp/kvsim watch foCO2Value   (one JSON object a line)");
    commands.add(cmd, [o](Session& s) {
        try {
            watch(s, *o);
        } catch (const kvcom3::KvError& e) {
            // Ctrl-C in the middle of a reading cancels that transfer; the watch ends as asked.
            if (e.number() != kCancel || !interruptRequested()) throw;
        }
    });
}

}  // namespace kvtool
