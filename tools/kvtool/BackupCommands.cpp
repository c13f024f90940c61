// A sensor's whole EEPROM (and RAM) into a file, back onto the sensor, and compared with it.
#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Json.h"
#include "Session.h"
#include "kvcom3/Enums.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/SensorBackup.h"
#include "kvcom3/SensorRestore.h"
#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/kvArrayNode.h"

namespace kvtool {

namespace {

void addBackup(CLI::App& app, CommandList& commands) {
    auto file = std::make_shared<std::string>();
    auto* backup = app.add_subcommand(
        "backup",
        "Save the sensor's identity, whole EEPROM and RAM into FILE, a text file with a checksum");
    backup->add_option("FILE", *file, "The backup file (replaced when it exists)")->required();
    backup->footer(
        "16 bytes a line in hexadecimal, so two backups compare with diff(1). RAM is kept for "
        "diagnosis; restore writes EEPROM only.\n"
        "Example: kvtool --device /dev/ttyUSB0 backup sensor-15212345.kvbackup");
    commands.add(backup, [file](Session& s) {
        const kvcom3::SensorBackup b = kvcom3::takeSensorBackup(*s.sensor->AdressLevel(), "kvtool");
        kvcom3::writeSensorBackup(*file, b);
        if (s.json)
            s.out << JsonObject()
                         .text("file", *file)
                         .number("eeprom", static_cast<long long>(b.eeprom.size()))
                         .number("ram", static_cast<long long>(b.ram.size()))
                         .str()
                  << '\n';
        else
            s.out << *file << ": " << b.eeprom.size() << " bytes EEPROM, " << b.ram.size()
                  << " bytes RAM\n";
    });
}

struct RestoreOptions {
    std::string file;
    bool dryRun = false;
    bool otherSensor = false;
};

void addRestore(CLI::App& app, CommandList& commands) {
    auto o = std::make_shared<RestoreOptions>();
    auto* restore = app.add_subcommand(
        "restore", "Write back the EEPROM bytes of a backup that differ from the sensor's");
    restore->add_option("FILE", o->file, "A file made by 'kvtool backup'")->required();
    restore->add_flag("--dry-run", o->dryRun, "Only count the bytes that differ");
    restore->add_flag("--other-sensor", o->otherSensor,
                      "Copy the backup of another sensor of the same part number onto this one "
                      "(its serial number stays)");
    restore->footer(
        "A backup of another platform, part number or EEPROM size is refused with nothing "
        "written. The bytes go through unlock, write, verify and lock and are journaled as "
        "\"restore FILE\".\n"
        "Example: kvtool --device /dev/ttyUSB0 restore sensor-15212345.kvbackup --dry-run");
    commands.add(restore, [o](Session& s) {
        const kvcom3::SensorBackup b = kvcom3::readSensorBackup(o->file);
        auto level = s.sensor->AdressLevel();
        const kvcom3::JournalSensor sensor = kvcom3::journalSensor(*level);
        kvcom3::requireSameKind(b, sensor, o->file);
        if (b.sensor.serial != sensor.serial && !o->otherSensor)
            kvcom3::raisePlatformError(kvcom3::platform_error::InvalidCall,
                                       "backup " + o->file + " is of serial number " +
                                           std::to_string(b.sensor.serial) + ", the sensor's is " +
                                           std::to_string(sensor.serial) +
                                           "; --other-sensor copies it anyway");
        const auto now = kvcom3::readWholeMemory(*level, kvcom3::kvEEPROM, sensor.eepromSize);
        const std::vector<std::int32_t> differing = kvcom3::restoreAddresses(b, sensor, now);
        if (!o->dryRun && !differing.empty()) {
            kvcom3::setJournalOperation("restore " + o->file);
            kvcom3::writeBackupBytes(*level, b, differing);
        }
        const std::size_t written = o->dryRun ? 0 : differing.size();
        if (s.json)
            s.out << JsonObject()
                         .number("differing", static_cast<long long>(differing.size()))
                         .number("written", static_cast<long long>(written))
                         .str()
                  << '\n';
        else if (o->dryRun)
            s.out << differing.size() << " bytes differ; nothing written (--dry-run)\n";
        else
            s.out << written << " bytes written\n";
    });
}

struct Cell {
    std::string key;
    std::string name;
    std::int32_t address;
    std::int32_t size;
};

void collectCells(const kvcom3::kvArrayNodes& nodes, std::int32_t eepromSize,
                  std::map<std::int32_t, Cell>& byAddress) {
    for (const auto& node : nodes) {
        if (node->MemType() == kvcom3::kvEEPROM && node->NrOfBytes() > 0) {
            const std::int32_t start = node->Adr() & (eepromSize - 1);
            // The first cell found keeps the address: a parent names it before its parts.
            for (std::int32_t a = start; a < start + node->NrOfBytes(); ++a)
                byAddress.try_emplace(a, Cell{node->Key(), node->Name(), start, node->NrOfBytes()});
        }
        if (node->Nodes()) collectCells(*node->Nodes(), eepromSize, byAddress);
    }
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes, std::int32_t at, std::int32_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::int32_t i = at; i < at + n; ++i) {
        const std::uint8_t b = bytes[static_cast<std::size_t>(i)];
        text += (text.empty() ? "" : " ") + std::string{digits[b >> 4], digits[b & 15]};
    }
    return text;
}

void addDiff(CLI::App& app, CommandList& commands) {
    auto file = std::make_shared<std::string>();
    auto* diff = app.add_subcommand(
        "diff", "List the EEPROM cells that differ between a backup and the sensor");
    diff->add_option("FILE", *file, "A file made by 'kvtool backup'")->required();
    diff->footer(
        "A line per cell of the memory map that differs (key, name, address, the file's bytes, "
        "the sensor's bytes), or per address where the map knows none; nothing when all agree.\n"
        "Example: kvtool --device /dev/ttyUSB0 diff sensor-15212345.kvbackup");
    commands.add(diff, [file](Session& s) {
        const auto [b, sensor, now] = kvcom3::compareWithBackup(*s.sensor->AdressLevel(), *file);
        if (b.sensor.serial != sensor.serial)
            std::cerr << "kvtool: " << *file << " is the backup of serial number "
                      << b.sensor.serial << ", the sensor's is " << sensor.serial << '\n';
        std::map<std::int32_t, Cell> cells;
        collectCells(*s.sensor->ArrayLevel()->Nodes(), sensor.eepromSize, cells);
        for (std::int32_t a = 0; a < sensor.eepromSize;) {
            const auto found = cells.find(a);
            const Cell cell = found != cells.end() ? found->second : Cell{"", "", a, 1};
            const std::int32_t end = std::min(cell.address + cell.size, sensor.eepromSize);
            bool differs = false;
            for (std::int32_t i = a; i < end; ++i)
                differs = differs ||
                          now[static_cast<std::size_t>(i)] != b.eeprom[static_cast<std::size_t>(i)];
            if (differs) {
                const std::int32_t n = end - cell.address;
                const std::string inFile = hexBytes(b.eeprom, cell.address, n);
                const std::string onSensor = hexBytes(now, cell.address, n);
                if (s.json) {
                    JsonObject json;
                    if (!cell.key.empty()) json.text("key", cell.key).text("name", cell.name);
                    s.out << json.number("address", cell.address)
                                 .number("size", n)
                                 .text("file", inFile)
                                 .text("sensor", onSensor)
                                 .str()
                          << '\n';
                } else {
                    s.out << (cell.key.empty() ? "EEPROM" : cell.key + " (" + cell.name + ")")
                          << " " << cell.address << ": file " << inFile << ", sensor " << onSensor
                          << '\n';
                }
            }
            a = end;
        }
    });
}

}  // namespace

void addBackupCommands(CLI::App& app, CommandList& commands) {
    addBackup(app, commands);
    addRestore(app, commands);
    addDiff(app, commands);
}

}  // namespace kvtool
