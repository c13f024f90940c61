#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Json.h"
#include "Session.h"
#include "kvcal3/ISensCalibration.h"
#include "kvcal3/TerminalInteraction.h"
#include "kvcal3/UserInteraction.h"
#include "kvcom3/ChangedCells.h"
#include "kvcom3/Enums.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

namespace kvtool {

namespace {

bool isNotSet(const kvcal3::kvCalProcInput& input) {
    return input.Value == kvcom3::Variant(kvcal3::NotSetMarker);
}

// Input keys, like every key of the catalogue's collections, ignore letter case.
bool sameKey(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The calibration library for the length of one command: it talks to this run's sensor and
// asks its questions the way the command chose; both are handed back at the end.
class CalibrationScope {
  public:
    CalibrationScope(const std::shared_ptr<kvcom3::ISensMem>& sensor,
                     std::shared_ptr<kvcal3::UserInteraction> interaction) {
        calibration.SetSensor(sensor);
        kvcal3::setUserInteraction(std::move(interaction));
    }
    ~CalibrationScope() {
        kvcal3::setUserInteraction(nullptr);
        calibration.SetSensor(nullptr);
    }
    CalibrationScope(const CalibrationScope&) = delete;
    CalibrationScope& operator=(const CalibrationScope&) = delete;

    kvcal3::ISensCalibration calibration;
};

std::string inputText(const kvcal3::kvCalProcInput& input) {
    return isNotSet(input) ? "not set" : input.Value.toString();
}

void printCatalogue(Session& s, kvcal3::kvCalChannels& channels) {
    for (const auto& channel : channels) {
        s.out << channel->Key << " \"" << channel->Name << "\"\n";
        for (const auto& procedure : *channel->Procedures()) {
            s.out << "  " << procedure->Key << " \"" << procedure->Name << "\"\n";
            for (const auto& input : *procedure->InputVariables())
                s.out << "    " << input->Key << " \"" << input->Name << "\": " << inputText(*input)
                      << '\n';
        }
    }
}

std::string jsonCatalogue(kvcal3::kvCalChannels& channels) {
    std::string channelList;
    for (const auto& channel : channels) {
        std::string procedureList;
        for (const auto& procedure : *channel->Procedures()) {
            std::string inputList;
            for (const auto& input : *procedure->InputVariables()) {
                const std::string json =
                    JsonObject()
                        .text("key", input->Key)
                        .text("name", input->Name)
                        .raw("value", isNotSet(*input) ? "null" : jsonValue(input->Value))
                        .str();
                inputList += (inputList.empty() ? "" : ",") + json;
            }
            const std::string json = JsonObject()
                                         .text("key", procedure->Key)
                                         .text("name", procedure->Name)
                                         .raw("inputs", "[" + inputList + "]")
                                         .str();
            procedureList += (procedureList.empty() ? "" : ",") + json;
        }
        const std::string json = JsonObject()
                                     .text("key", channel->Key)
                                     .text("name", channel->Name)
                                     .raw("procedures", "[" + procedureList + "]")
                                     .str();
        channelList += (channelList.empty() ? "" : ",") + json;
    }
    return JsonObject().raw("channels", "[" + channelList + "]").str();
}

void addProcedures(CLI::App& app, CommandList& commands) {
    auto* cmd = app.add_subcommand(
        "procedures",
        "List the calibration channels of the sensor with their procedures and the "
        "inputs each procedure takes");
    cmd->footer(
        "Each procedure line gives the key 'kvtool calibrate' takes; each input line the key "
        "for --input and its current value.\n"
        "Example: kvtool --device /tmp/kvsim procedures");
    commands.add(cmd, [](Session& s) {
        CalibrationScope scope(s.sensor, nullptr);
        auto channels = scope.calibration.Channels();
        if (s.json)
            s.out << jsonCatalogue(*channels) << '\n';
        else
            printCatalogue(s, *channels);
    });
}

struct CalibrateOptions {
    std::string procedure;
    std::vector<std::string> inputs;
    bool showReadings = false;
    bool noInput = false;
};

kvcom3::Variant inputValue(const std::string& key, const std::string& text) {
    std::size_t used = 0;
    double number = 0;
    try {
        number = std::stod(text, &used);
    } catch (const std::logic_error&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text.find_first_of("xXnN") != std::string::npos)
        kvcom3::raisePlatformError(kvcom3::platform_error::InvalidPropertyValue,
                                   key + "='" + text + "' is not a number");
    return kvcom3::Variant(number);
}

void fillInputs(kvcal3::kvCalProcedure& procedure, const std::vector<std::string>& assignments) {
    for (const std::string& assignment : assignments) {
        const std::size_t equals = assignment.find('=');
        const std::string key = assignment.substr(0, equals);
        const std::string text = assignment.substr(equals + 1);
        std::shared_ptr<kvcal3::kvCalProcInput> found;
        std::string keys;
        for (const auto& input : *procedure.InputVariables()) {
            if (sameKey(input->Key, key)) found = input;
            keys += (keys.empty() ? "" : ", ") + input->Key;
        }
        if (!found)
            kvcom3::raisePlatformError(kvcom3::platform_error::InvalidCall,
                                       procedure.Key + " has no input " + key +
                                           " (its inputs: " + (keys.empty() ? "none" : keys) + ")");
        found->Value = inputValue(key, text);
    }
}

void calibrate(Session& s, const CalibrateOptions& o) {
    // Questions go to stderr, so that stdout carries the result alone.
    std::shared_ptr<kvcal3::UserInteraction> user;
    if (!o.noInput) user = std::make_shared<kvcal3::TerminalInteraction>(0, stderr);
    CalibrationScope scope(s.sensor, user);
    auto procedure = scope.calibration.GetProcedure(o.procedure);
    fillInputs(*procedure, o.inputs);
    const bool journaled = kvcom3::journalEnabled();
    std::vector<kvcom3::ChangedCell> snapshot;
    if (!journaled) snapshot = kvcom3::eepromSnapshot(*s.sensor);
    if (o.showReadings) procedure->ShowReadings();
    kvcom3::setJournalOperation("calibrate " + procedure->Key);
    const kvcom3::Variant result = procedure->Run();
    const std::vector<kvcom3::ChangedCell> changed =
        journaled ? kvcom3::changedByLastOperation(*s.sensor)
                  : kvcom3::changedSince(std::move(snapshot));

    std::string changedJson;
    if (!s.json) s.out << procedure->Key << " done\n";
    if (!s.json && !result.isEmpty()) s.out << "result: " << result.toString() << '\n';
    for (const kvcom3::ChangedCell& c : changed) {
        if (s.json) {
            changedJson += (changedJson.empty() ? "" : ",") + JsonObject()
                                                                  .text("key", c.cell->Key())
                                                                  .number("before", c.before)
                                                                  .number("after", c.after)
                                                                  .str();
        } else {
            s.out << c.cell->Key() << ": " << c.before << " -> " << c.after << '\n';
        }
    }
    if (s.json)
        s.out << JsonObject()
                     .text("procedure", procedure->Key)
                     .raw("result", jsonValue(result))
                     .raw("changed", "[" + changedJson + "]")
                     .str()
              << '\n';
}

void addCalibrate(CLI::App& app, CommandList& commands) {
    auto o = std::make_shared<CalibrateOptions>();
    auto* cmd = app.add_subcommand(
        "calibrate", "Run a calibration procedure and print the EEPROM cells it changed");
    cmd->add_option("PROCEDURE_KEY", o->procedure,
                    "Key of the procedure, as 'kvtool procedures' lists it (letter case counts)")
        ->required();
    cmd->add_option("--input", o->inputs, "Value of an input of the procedure, KEY=VALUE")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                const std::size_t equals = text.find('=');
                if (equals == std::string::npos || equals == 0)
                    return "'" + text + "' is not KEY=VALUE";
                return {};
            },
            "KEY=VALUE"));
    cmd->add_flag("--show-readings", o->showReadings,
                  "Show the raw CO2 signal first, a line per reading, until Enter (continue) or "
                  "\"c\" (cancel)");
    cmd->add_flag("--no-input", o->noInput,
                  "Never ask: a procedure that needs an answer fails with 32755 instead");
    cmd->footer(
        "Inputs not given are asked for on the terminal. The cells the procedure changed are "
        "shown with their old and new values as the journal recorded its writes (with "
        "--no-journal the whole EEPROM is read before and after instead).\n"
        "Example: kvtool --device /tmp/kvsim calibrate cpSpaceTempOffsetAdjust "
        "--input cvSpaceTempOffsetAdjustCorrectTemp=23.0\n"
        "Example: kvtool --device /tmp/kvsim calibrate cpRHcal --no-input "
        "--input cvSpaceRHCalZeroOffset=0.375 --input cvSpaceRHCalSlope=41.25");
    commands.add(cmd, [o](Session& s) { calibrate(s, *o); });
}

}  // namespace

void addCalibrationCommands(CLI::App& app, CommandList& commands) {
    addProcedures(app, commands);
    addCalibrate(app, commands);
}

}  // namespace kvtool
