#include "model/Layout78.h"

#include <functional>
#include <map>

namespace kvsim::layout78 {
namespace {

Cell ee(std::int32_t address, int bytes) {
    return Cell{Space::EEPROM, address, bytes, true};
}

// Parameter arrays of 16 keep entries 0-7 in the low block and 8-15 near the end.
std::int32_t split(int i, std::int32_t low, std::int32_t high, int stride) {
    return i <= 7 ? low + stride * i : high + stride * (i - 8);
}

struct Indexed {
    int first;
    int last;
    std::function<Cell(int)> cell;
};

const std::map<std::string, Indexed>& indexedCells() {
    static const std::map<std::string, Indexed> cells = {
        {"wPar_", {0, 15, [](int i) { return ee(split(i, 0, -264, 2), 2); }}},
        {"bPar_", {0, 15, [](int i) { return ee(split(i, 92, -144, 1), 1); }}},
        {"RegPar0_", {0, 15, [](int i) { return ee(split(i, 28, -208, 6), 2); }}},
        {"RegPar1_", {0, 15, [](int i) { return ee(split(i, 30, -206, 6), 2); }}},
        {"RegPar2_", {0, 15, [](int i) { return ee(split(i, 32, -204, 6), 2); }}},
        {"CountPar_", {0, 15, [](int i) { return ee(split(i, 76, -160, 2), 2); }}},
        {"AdjustPar_", {0, 15, [](int i) { return ee(132 + 2 * i, 2); }}},
        {"oosPar_", {0, 15, [](int i) { return ee(100 + 2 * i, 2); }}},
        {"ABC_Period_", {0, 1, [](int i) { return ee(-52 + i, 1); }}},
        {"ABC_Frac_", {0, 1, [](int i) { return ee(-50 + i, 1); }}},
        {"ABC_Target_", {0, 1, [](int i) { return ee(-48 + 2 * i, 2); }}},
        {"ABC_Sample_", {0, 1, [](int i) { return ee(18 + 2 * i, 2); }}},
        {"ABC_Time_", {0, 1, [](int i) { return ee(22 + i, 1); }}},
        {"AlgSlot_",
         {0, kAlgorithmSlotCount - 1, [](int i) { return ee(kAlgorithmSlots + 2 * i, 2); }}},
        {"HWOutConfig_", {0, 7, [](int i) { return ee(kHwOutConfig + i, 1); }}},
        {"Event_", {0, 3, [](int i) { return ee(kEvents + i, 1); }}},
        {"SensorID_", {0, 1, [](int i) { return ee(16 + i, 1); }}},
    };
    return cells;
}

const std::map<std::string, Cell>& plainCells() {
    static const std::map<std::string, Cell> cells = {
        {"LampOff", ee(kLampOff, 2)}, {"LampOn", ee(kLampOn, 1)},       {"FracX", ee(kFracX, 1)},
        {"FracY", ee(kFracX + 1, 1)}, {"ErrorMask", ee(kErrorMask, 1)}, {"NCHAN", ee(kNchan, 1)},
    };
    return cells;
}

}  // namespace

std::optional<Cell> parameterCell(const std::string& name) {
    if (const auto plain = plainCells().find(name); plain != plainCells().end())
        return plain->second;
    std::string base;
    int index = 0;
    if (!splitIndexedName(name, base, index)) return std::nullopt;
    const auto found = indexedCells().find(base);
    if (found == indexedCells().end()) return std::nullopt;
    if (index < found->second.first || index > found->second.last) return std::nullopt;
    return found->second.cell(index);
}

}  // namespace kvsim::layout78
