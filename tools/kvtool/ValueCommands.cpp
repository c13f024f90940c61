#include <memory>
#include <string>

#include "Json.h"
#include "Session.h"
#include "Values.h"
#include "kvcom3/Journal.h"

namespace kvtool {

namespace {

const char* const kKeyHelp =
    "Key of a memory cell (ra..., ea..., fl..., mi..., mh...; see 'kvtool map') or of an object "
    "(fo..., mo...; see 'kvtool tree'), letter case ignored";

void print(Session& s, const std::string& key, const Reading& reading) {
    if (s.json) {
        JsonObject json;
        addReading(json, key, reading);
        s.out << json.str() << '\n';
    } else {
        s.out << readingText(reading) << '\n';
    }
}

struct Assignment {
    std::string key;
    std::string value;
};

void addGet(CLI::App& app, CommandList& commands) {
    auto key = std::make_shared<std::string>();
    auto* get = app.add_subcommand(
        "get",
        "Read a memory cell or an object from the sensor: a cell in decimal, an object "
        "with its unit (an enumeration by its name)");
    get->add_option("KEY", *key, kKeyHelp)->required();
    get->footer(
        "Example: kvtool --device /tmp/kvsim get foChannelValue4   (prints e.g. \"21.5 °C\")\n"
        "Example: kvtool --device /tmp/kvsim get raChan_4\n"
        "Example: kvtool --json get foCO2Value");
    commands.add(get, [key](Session& s) {
        const Target target = findTarget(*s.sensor, *key);
        print(s, target.key, readTarget(target, true));
    });
}

void addSet(CLI::App& app, CommandList& commands) {
    auto a = std::make_shared<Assignment>();
    auto* set = app.add_subcommand(
        "set",
        "Write a memory cell or an object through to the sensor and print the value read "
        "back");
    set->add_option("KEY", a->key, kKeyHelp)->required();
    set->add_option("VALUE", a->value,
                    "A cell: a whole number (decimal or 0x hex). An object: a number in its unit "
                    "(written through its format) or, for an enumeration, one of its names")
        ->required();
    set->footer(
        "EEPROM cells and objects go through unlock, write, verify and lock.\n"
        "Example: kvtool --device /tmp/kvsim set raChan_0 1200\n"
        "Example: kvtool --device /tmp/kvsim set eaExtra_probe 0x40");
    commands.add(set, [a](Session& s) {
        const Target target = findTarget(*s.sensor, a->key);
        kvcom3::setJournalOperation("set " + target.key);
        writeTarget(target, a->value);
        print(s, target.key, readTarget(target, true));
    });
}

}  // namespace

void addValueCommands(CLI::App& app, CommandList& commands) {
    addGet(app, commands);
    addSet(app, commands);
}

}  // namespace kvtool
