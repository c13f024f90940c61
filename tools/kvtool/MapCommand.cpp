#include <string>

#include "Json.h"
#include "Session.h"
#include "kvcom3/Enums.h"
#include "kvcom3/kvArrayNode.h"

namespace kvtool {

namespace {

const char* memoryName(std::uint8_t memType) {
    switch (memType) {
        case kvcom3::kvRAM: return "ram";
        case kvcom3::kvEEPROM: return "eeprom";
        case kvcom3::kvFLASH: return "flash";
        case kvcom3::kvMBIR: return "ir";
        case kvcom3::kvMBHR: return "hr";
        case kvcom3::kvMBCOIL: return "coil";
        case kvcom3::kvMBDI: return "di";
        default: return "?";
    }
}

// One cell a line, two blanks deeper per level: key "name" memory adr size mask byte order.
void printText(std::ostream& out, const kvcom3::kvArrayNodes& nodes, int depth) {
    for (const auto& node : nodes) {
        out << std::string(static_cast<std::size_t>(2 * depth), ' ') << node->Key() << " \""
            << node->Name() << "\" " << memoryName(node->MemType()) << " adr=" << node->Adr()
            << " size=" << node->NrOfBytes() << " mask=" << node->AdrMask()
            << " order=" << int{node->ByteOrder()} << '\n';
        if (node->Nodes()) printText(out, *node->Nodes(), depth + 1);
    }
}

std::string jsonNodes(const kvcom3::kvArrayNodes& nodes) {
    std::string list = "[";
    for (const auto& node : nodes) {
        JsonObject json;
        json.text("key", node->Key())
            .text("name", node->Name())
            .text("memory", memoryName(node->MemType()))
            .number("address", node->Adr())
            .number("size", node->NrOfBytes())
            .number("mask", node->AdrMask())
            .number("byteOrder", node->ByteOrder());
        if (node->Nodes() && node->Nodes()->Count() > 0)
            json.raw("nodes", jsonNodes(*node->Nodes()));
        list += (list.size() > 1 ? "," : "") + json.str();
    }
    return list + "]";
}

}  // namespace

void addMapCommand(CLI::App& app, CommandList& commands) {
    auto* map = app.add_subcommand(
        "map",
        "Print the sensor's memory map as a tree: key, name, memory, address, size, bit "
        "mask and byte order of every cell");
    map->footer(
        "Byte order 0: most significant byte at the lower address; 1: at the higher address. "
        "Size 0 marks a group. The map is generated for the connected sensor, which may read a "
        "few cells from it.\n"
        "Example: kvtool --device /tmp/kvsim map\n"
        "Example: kvtool --json --protocol modbus --id 1 map");
    commands.add(map, [](Session& s) {
        auto nodes = s.sensor->ArrayLevel()->Nodes();
        if (s.json)
            s.out << JsonObject().raw("nodes", jsonNodes(*nodes)).str() << '\n';
        else
            printText(s.out, *nodes, 0);
    });
}

}  // namespace kvtool
