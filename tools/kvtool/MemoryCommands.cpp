#include "Commands.h"

#include <map>
#include <string>

#include "Memory.h"
#include "Numbers.h"
#include "kvcom3/Enums.h"

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

constexpr int kAddressEnd = 65536;

const char* const kRegisterNote =
    "The Modbus register spaces ir and hr are addressed by byte: register r is bytes 2r and "
    "2r+1, most significant byte first.";

}  // namespace

Commands::Commands(CLI::App& app) {
    addInfo(app);
    addSerial(app);
    addPeek(app);
    addPoke(app);
}

void Commands::run(kvcom3::ISensMem& sensor, std::ostream& out) const {
    for (const Command& command : commands_)
        if (command.app->parsed()) command.run(sensor, out);
}

void Commands::addInfo(CLI::App& app) {
    auto* info = app.add_subcommand("info", "Identify the sensor, one \"name: value\" line each");
    info->footer("Example: kvtool --device /dev/ttyUSB0 info");
    commands_.push_back({info, [](kvcom3::ISensMem& sensor, std::ostream& out) {
                             // All read before anything is printed: a failure prints no half list.
                             const int platform = sensor.Platform();
                             const int part = sensor.PartNr();
                             const int processor = sensor.ProcessorVersion();
                             const std::int32_t eeprom = sensor.MemSize(kvcom3::enmEEPROM);
                             const std::string serial = sensor.SerialNr(true);
                             out << "platform: " << platform << "\npart number: " << part
                                 << "\nprocessor version: " << processor
                                 << "\nEEPROM size: " << eeprom << "\nserial number: " << serial
                                 << '\n';
                         }});
}

void Commands::addSerial(CLI::App& app) {
    auto* serial = app.add_subcommand("serial", "Print the serial number read from the sensor");
    serial->footer("Example: kvtool --port 2 --protocol modbus serial");
    commands_.push_back({serial, [](kvcom3::ISensMem& sensor, std::ostream& out) {
                             out << sensor.SerialNr(true) << '\n';
                         }});
}

void Commands::addPeek(CLI::App& app) {
    auto* peek = app.add_subcommand(
        "peek", "Read N bytes from the sensor and print them in decimal, separated by blanks");
    peek->add_option("MEMORY", memType_, "Memory to read")
        ->required()
        ->transform(memoryWord(kReadable));
    peek->add_option("ADDR", address_, "First address (decimal or 0x hex)")
        ->required()
        ->transform(numberIn(0, kAddressEnd - 1));
    peek->add_option("N", count_, "Number of bytes")
        ->transform(numberIn(1, kAddressEnd))
        ->capture_default_str();
    peek->callback([this] {
        if (address_ + count_ > kAddressEnd)
            throw CLI::ValidationError("N", "ADDR + N goes beyond address 65535");
    });
    peek->footer(std::string(kRegisterNote) +
                 "\nExample: kvtool --device /tmp/kvsim peek ram 20 2   (space temperature "
                 "word)\nExample: kvtool --protocol modbus --id 1 peek ir 0 4   (registers 0-1)");
    commands_.push_back({peek, [this](kvcom3::ISensMem& sensor, std::ostream& out) {
                             printBytes(out, peekBytes(sensor, static_cast<std::uint8_t>(memType_),
                                                       address_, count_));
                         }});
}

void Commands::addPoke(CLI::App& app) {
    auto* poke = app.add_subcommand(
        "poke", "Write bytes to the sensor (EEPROM with unlock, verify and lock)");
    poke->add_option("MEMORY", memType_, "Memory to write")
        ->required()
        ->transform(memoryWord(kWritable));
    poke->add_option("ADDR", address_, "First address (decimal or 0x hex)")
        ->required()
        ->transform(numberIn(0, kAddressEnd - 1));
    poke->add_option("BYTE", bytes_, "Byte values 0-255, written from ADDR on")
        ->required()
        ->transform(numberIn(0, 255));
    poke->callback([this] {
        if (address_ + static_cast<int>(bytes_.size()) > kAddressEnd)
            throw CLI::ValidationError("BYTE", "the bytes go beyond address 65535");
    });
    poke->footer(std::string(kRegisterNote) +
                 "\nExample: kvtool --device /tmp/kvsim poke eeprom 100 1 2 3"
                 "\nExample: kvtool --protocol modbus --id 1 poke hr 32 0 5   (register 16 = 5)");
    commands_.push_back({poke, [this](kvcom3::ISensMem& sensor, std::ostream&) {
                             std::vector<std::uint8_t> bytes(bytes_.begin(), bytes_.end());
                             pokeBytes(sensor, static_cast<std::uint8_t>(memType_), address_,
                                       bytes);
                         }});
}

}  // namespace kvtool
