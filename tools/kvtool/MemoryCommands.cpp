#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Json.h"
#include "Memory.h"
#include "Numbers.h"
#include "Session.h"
#include "kvcom3/Enums.h"
#include "kvcom3/Journal.h"

namespace kvtool {

namespace {

using MemoryWords = std::map<std::string, int>;

const MemoryWords kReadable = {{"ram", kvcom3::kvRAM},
                               {"eeprom", kvcom3::kvEEPROM},
                               {"flash", kvcom3::kvFLASH},
                               {"ir", kvcom3::kvMBIR},
                               {"hr", kvcom3::kvMBHR}};
const MemoryWords kWritable = {
    {"ram", kvcom3::kvRAM}, {"eeprom", kvcom3::kvEEPROM}, {"hr", kvcom3::kvMBHR}};

// Turns a memory word into its memory type number; only the words themselves are accepted.
CLI::Validator memoryWord(const MemoryWords& words) {
    std::string names;
    for (const auto& [word, type] : words) names += (names.empty() ? "" : "|") + word;
    return CLI::Validator(
        [&words, names](std::string& text) -> std::string {
            auto found = words.find(text);
            if (found == words.end()) return "'" + text + "' is not one of " + names;
            text = std::to_string(found->second);
            return {};
        },
        names);
}

std::string memoryName(int memType) {
    for (const auto& [word, type] : kReadable)
        if (type == memType) return word;
    return std::to_string(memType);
}

constexpr int kAddressEnd = 65536;

const char* const kRegisterNote =
    "The Modbus register spaces ir and hr are addressed by byte: register r is bytes 2r and "
    "2r+1, most significant byte first.";

struct Transfer {
    int memType = 0;
    int address = 0;
    int count = 1;
    std::vector<int> bytes;
};

void addInfo(CLI::App& app, CommandList& commands) {
    auto* info = app.add_subcommand("info", "Identify the sensor, one \"name: value\" line each");
    info->footer("Example: kvtool --device /dev/ttyUSB0 info\nExample: kvtool --json info");
    commands.add(info, [](Session& s) {
        kvcom3::ISensMem& sensor = *s.sensor;
        // All read before anything is printed: a failure prints no half list.
        const int platform = sensor.Platform();
        const int part = sensor.PartNr();
        const int processor = sensor.ProcessorVersion();
        const std::int32_t eeprom = sensor.MemSize(kvcom3::enmEEPROM);
        const std::string serial = sensor.SerialNr(true);
        if (s.json) {
            s.out << JsonObject()
                         .number("platform", platform)
                         .number("partNumber", part)
                         .number("processorVersion", processor)
                         .number("eepromSize", eeprom)
                         .text("serialNumber", serial)
                         .str()
                  << '\n';
            return;
        }
        s.out << "platform: " << platform << "\npart number: " << part
              << "\nprocessor version: " << processor << "\nEEPROM size: " << eeprom
              << "\nserial number: " << serial << '\n';
    });
}

void addSerial(CLI::App& app, CommandList& commands) {
    auto* serial = app.add_subcommand("serial", "Print the serial number read from the sensor");
    serial->footer("Example: kvtool --port 2 --protocol modbus serial");
    commands.add(serial, [](Session& s) {
        const std::string number = s.sensor->SerialNr(true);
        if (s.json)
            s.out << JsonObject().text("serialNumber", number).str() << '\n';
        else
            s.out << number << '\n';
    });
}

void addPeek(CLI::App& app, CommandList& commands) {
    auto t = std::make_shared<Transfer>();
    auto* peek = app.add_subcommand(
        "peek", "Read N bytes from the sensor and print them in decimal, separated by blanks");
    peek->add_option("MEMORY", t->memType, "Memory to read")
        ->required()
        ->transform(memoryWord(kReadable));
    peek->add_option("ADDR", t->address, "First address (decimal or 0x hex)")
        ->required()
        ->transform(numberIn(0, kAddressEnd - 1));
    peek->add_option("N", t->count, "Number of bytes")
        ->transform(numberIn(1, kAddressEnd))
        ->capture_default_str();
    peek->callback([t] {
        if (t->address + t->count > kAddressEnd)
            throw CLI::ValidationError("N", "ADDR + N goes beyond address 65535");
    });
    peek->footer(std::string(kRegisterNote) +
                 "\nExample: kvtool --device /tmp/kvsim peek ram 20 2   (space temperature "
                 "word)\nExample: kvtool --protocol modbus --id 1 peek ir 0 4   (registers 0-1)");
    commands.add(peek, [t](Session& s) {
        const auto bytes =
            peekBytes(*s.sensor, static_cast<std::uint8_t>(t->memType), t->address, t->count);
        if (!s.json) {
            printBytes(s.out, bytes);
            return;
        }
        std::string list = "[";
        for (std::size_t i = 0; i < bytes.size(); ++i)
            list += (i ? "," : "") + std::to_string(bytes[i]);
        s.out << JsonObject()
                     .text("memory", memoryName(t->memType))
                     .number("address", t->address)
                     .raw("bytes", list + "]")
                     .str()
              << '\n';
    });
}

void addPoke(CLI::App& app, CommandList& commands) {
    auto t = std::make_shared<Transfer>();
    auto* poke = app.add_subcommand(
        "poke", "Write bytes to the sensor (EEPROM with unlock, verify and lock)");
    poke->add_option("MEMORY", t->memType, "Memory to write")
        ->required()
        ->transform(memoryWord(kWritable));
    poke->add_option("ADDR", t->address, "First address (decimal or 0x hex)")
        ->required()
        ->transform(numberIn(0, kAddressEnd - 1));
    poke->add_option("BYTE", t->bytes, "Byte values 0-255, written from ADDR on")
        ->required()
        ->transform(numberIn(0, 255));
    poke->callback([t] {
        if (t->address + static_cast<int>(t->bytes.size()) > kAddressEnd)
            throw CLI::ValidationError("BYTE", "the bytes go beyond address 65535");
    });
    poke->footer(std::string(kRegisterNote) +
                 "\nExample: kvtool --device /tmp/kvsim poke eeprom 100 1 2 3"
                 "\nExample: kvtool --protocol modbus --id 1 poke hr 32 0 5   (register 16 = 5)");
    commands.add(poke, [t](Session& s) {
        std::vector<std::uint8_t> bytes(t->bytes.begin(), t->bytes.end());
        kvcom3::setJournalOperation("poke");
        pokeBytes(*s.sensor, static_cast<std::uint8_t>(t->memType), t->address, bytes);
    });
}

}  // namespace

void addMemoryCommands(CLI::App& app, CommandList& commands) {
    addInfo(app, commands);
    addSerial(app, commands);
    addPeek(app, commands);
    addPoke(app, commands);
}

}  // namespace kvtool
