#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Json.h"
#include "Session.h"
#include "kvcal3/ISensCalibration.h"
#include "kvcal3/InputRanges.h"
#include "kvcal3/LibraryUse.h"
#include "kvcal3/TerminalInteraction.h"
#include "kvcal3/UserInteraction.h"
#include "kvcom3/EepromChanges.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

namespace kvtool {

namespace {

// The calibration library for the length of one command: it talks to this run's sensor and
// asks its questions the way the command chose.
struct CalibrationScope {
    CalibrationScope(const std::shared_ptr<kvcom3::ISensMem>& sensor,
                     std::shared_ptr<kvcal3::UserInteraction> interaction)
        : use(calibration, sensor, std::move(interaction)) {}

    kvcal3::ISensCalibration calibration;
    kvcal3::LibraryUse use;
};

std::string inputText(const kvcal3::kvCalProcInput& input) {
    return kvcal3::isNotSet(input) ? "not set" : input.Value.toString();
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
                        .raw("value", kvcal3::isNotSet(*input) ? "null" : jsonValue(input->Value))
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

void fillInputs(kvcal3::kvCalProcedure& procedure, const std::vector<std::string>& assignments) {
    for (const std::string& assignment : assignments) {
        const std::size_t equals = assignment.find('=');
        const std::string key = assignment.substr(0, equals);
        const auto input = kvcal3::findInput(procedure, key);
        input->Value = kvcal3::checkedInputValue(key, assignment.substr(equals + 1));
    }
}

void calibrate(Session& s, const CalibrateOptions& o) {
    // Questions go to stderr, so that stdout carries the result alone.
    std::shared_ptr<kvcal3::UserInteraction> user;
    if (!o.noInput) user = std::make_shared<kvcal3::TerminalInteraction>(0, stderr);
    CalibrationScope scope(s.sensor, user);
    auto procedure = scope.calibration.GetProcedure(o.procedure);
    fillInputs(*procedure, o.inputs);
    const kvcom3::EepromChangeWatch watch(*s.sensor);
    if (o.showReadings) procedure->ShowReadings();
    kvcom3::setJournalOperation("calibrate " + procedure->Key);
    const kvcom3::Variant result = procedure->Run();
    const std::vector<kvcom3::CellChange> changed = watch.changed();

    std::string changedJson;
    if (!s.json) s.out << procedure->Key << " done\n";
    if (!s.json && !result.isEmpty()) s.out << "result: " << result.toString() << '\n';
    for (const kvcom3::CellChange& c : changed) {
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
        "shown with their old and new values as the journal recorded its writes, so nothing is "
        "read for them beyond the procedure's own transfers (with --no-journal the whole EEPROM "
        "is read first instead and compared with what the procedure wrote).\n"
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
