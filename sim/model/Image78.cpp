#include "model/Image78.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "model/Layout78.h"

namespace kvsim {
namespace {

using namespace layout78;

struct Area {
    std::string name;
    std::uint32_t start;
    std::uint32_t bytes;
};

// Product ID entries: EEPROM address, nibble (0 low, 1 high, -1 whole byte).
struct ProductField {
    const char* key;
    std::int32_t address;
    int nibble;
};

constexpr ProductField kProductFields[] = {
    {"spaceTempSensor", kSpaceTempSensor, 0},
    {"probeCo2Batch", kSpaceTempSensor, 1},
    {"probeCo2Range", kProbeCo2Range, 0},
    {"co2SensorNr", kProbeCo2Range, 1},
    {"extraProbe", kExtraProbe, -1},
    {"topTerminalBlock", kTerminalBlocks, 0},
    {"bottomJumperBlock", kTerminalBlocks, 1},
    {"co2SensorNrExtension", kCo2SensorNrExtension, -1},
    {"displayAndPushButtons", kDisplayAndBox, 0},
    {"box", kDisplayAndBox, 1},
};

std::uint32_t at(std::int32_t address, const Memory& eeprom) {
    return eepromAddress(address, eeprom.size());
}

void writeProductId(const Profile& p, Memory& eeprom) {
    for (const auto& [key, value] : p.productId) {
        const auto field =
            std::find_if(std::begin(kProductFields), std::end(kProductFields),
                         [&name = key](const ProductField& f) { return name == f.key; });
        if (field == std::end(kProductFields))
            throw std::runtime_error("unknown productId entry \"" + key + "\"");
        if (field->nibble >= 0 && value > 15)
            throw std::runtime_error("productId " + key + " needs more than 4 bits");
        const auto address = at(field->address, eeprom);
        const std::uint8_t old = eeprom.get(address);
        const auto v = static_cast<std::uint8_t>(value);
        if (field->nibble < 0)
            eeprom.set(address, v);
        else if (field->nibble == 0)
            eeprom.set(address, static_cast<std::uint8_t>((old & 0xF0) | v));
        else
            eeprom.set(address, static_cast<std::uint8_t>((old & 0x0F) | (v << 4)));
    }
}

void writeIdentity(const Profile& p, Memory& eeprom) {
    int sizeCode = 0;
    while ((1024u << sizeCode) < eeprom.size()) ++sizeCode;
    if (p.communicationOption > 15) throw std::runtime_error("communicationOption needs 4 bits");
    if (p.serialNumber > 0xFFFFFF) throw std::runtime_error("serial number needs 24 bits");
    eeprom.set(at(kEepromSize, eeprom),
               static_cast<std::uint8_t>(p.communicationOption << 4 | sizeCode));
    eeprom.set(at(kPart, eeprom), p.partByte);
    eeprom.setValue(at(kSerialNr, eeprom), 3, p.serialNumber, false);
    eeprom.set(at(kProcVer, eeprom), p.processorVersion);
    eeprom.set(at(kProcessorVersionByte, eeprom), p.processorVersion);
    writeProductId(p, eeprom);
}

std::uint16_t base(const Profile& p, const char* name) {
    const auto found = p.baseAddresses.find(name);
    if (found == p.baseAddresses.end())
        throw std::runtime_error(std::string("base address ") + name + " is missing");
    return found->second;
}

std::vector<Area> areas(const Profile& p, int platform, const Memory& eeprom) {
    const std::uint32_t mask = static_cast<std::uint32_t>(eeprom.size() - 1);
    std::vector<Area> list = {
        {"ADS_CODE", base(p, "ADS_CODE") & mask, kAdsCodeBytes},
        {"TABLE", base(p, "TABLE") & mask, kTableCount * kTableBytes},
        {"MENU", base(p, "MENU") & mask, static_cast<std::uint32_t>(menuBytes(p, platform))},
        {"RANGE_PAR", base(p, "RANGE_PAR") & mask, kRangeParBytes},
        {"UserInfo", base(p, "UserInfo") & mask, kUserInfoBytes},
        {"TWAarray", base(p, "TWAarray") & mask, kTwaArrayBytes},
    };
    for (std::size_t c = 0; c < p.loggers.size(); ++c)
        list.push_back(
            {"logger " + std::to_string(c), p.loggers[c].pointer & mask, 2u * p.loggers[c].size});
    return list;
}

void checkAreas(const std::vector<Area>& list, int platform, const Memory& eeprom) {
    const auto freeEnd =
        at(hasFlashProcessor(platform) ? kUpperRegionFull : kUpperRegionNoFlash, eeprom);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Area& a = list[i];
        if (a.start < kLowRegionEnd || a.start + a.bytes > freeEnd)
            throw std::runtime_error(a.name + " lies outside the free EEPROM " +
                                     std::to_string(kLowRegionEnd) + "-" +
                                     std::to_string(freeEnd - 1));
        for (std::size_t k = 0; k < i; ++k) {
            const Area& b = list[k];
            if (a.bytes != 0 && b.bytes != 0 && a.start < b.start + b.bytes &&
                b.start < a.start + a.bytes)
                throw std::runtime_error(a.name + " overlaps " + b.name);
        }
    }
}

// Sixteen menu items: the first ones show the measured channels, each button stepping on to
// the next item.
void writeMenu(const Profile& p, int platform, Memory& eeprom, std::uint32_t start) {
    const bool header = hasFlashProcessor(platform) || p.processorVersion == 1;
    int itemBytes = 8;
    std::uint32_t items = start;
    if (header) {
        eeprom.fill(start, kMenuHeaderBytes, 0);
        eeprom.set(start, p.menu.displayNr);
        eeprom.set(start + 1, p.menu.menuNr);
        eeprom.set(start + 2, p.menu.ledAckBatNr);
        items = start + kMenuHeaderBytes;
        itemBytes = p.menu.menuNr == 2 ? 16 : 8;
    }
    const int total = menuBytes(p, platform) - (header ? kMenuHeaderBytes : 0);
    if (total <= 0) return;
    const std::uint8_t shown[] = {layout78::kChanCo2, layout78::kChanSpaceTemp, layout78::kChanRh,
                                  layout78::kChanCo};
    for (int i = 0; i < 16; ++i) {
        const auto a = items + static_cast<std::uint32_t>(i * itemBytes);
        eeprom.fill(a, static_cast<std::size_t>(itemBytes), 0);
        const auto next = static_cast<std::uint8_t>(i < 3 ? i + 1 : 0);
        if (i < 4) eeprom.set(a, static_cast<std::uint8_t>(0x10 | shown[i]));
        const std::uint32_t buttons = itemBytes == 16 ? 10 : 5;
        eeprom.set(a + buttons, next);
        eeprom.set(a + buttons + 1, static_cast<std::uint8_t>(0x10 | next));
        eeprom.set(a + buttons + 2, 0);
    }
}

void writeAreas(const Profile& p, int platform, Memory& eeprom) {
    const std::uint32_t mask = static_cast<std::uint32_t>(eeprom.size() - 1);
    for (int k = 0; k < 6; ++k)
        eeprom.setValue(at(kBaseAddresses + 2 * k, eeprom), 2, base(p, kBaseNames[k]));

    const std::uint32_t ads = base(p, "ADS_CODE") & mask;
    eeprom.fill(ads, kAdsCodeBytes, 0);
    for (std::size_t i = 0; i < p.adsCode.size() && i < kAdsCodeBytes; ++i)
        eeprom.set(ads + static_cast<std::uint32_t>(i), p.adsCode[i]);

    if (p.tables.size() != kTableCount) throw std::runtime_error("five tables are needed");
    const std::uint32_t tables = base(p, "TABLE") & mask;
    for (int t = 0; t < kTableCount; ++t)
        for (int i = 0; i < kTablePoints; ++i)
            eeprom.setValue(tables + static_cast<std::uint32_t>(kTableBytes * t + 2 * i), 2,
                            static_cast<std::uint16_t>(p.tables[t][i]));

    writeMenu(p, platform, eeprom, base(p, "MENU") & mask);

    const std::uint32_t ranges = base(p, "RANGE_PAR") & mask;
    eeprom.fill(ranges, kRangeParBytes, 0);
    for (std::size_t i = 0; i < p.ranges.size() && i < 16; ++i) {
        const auto a = ranges + static_cast<std::uint32_t>(4 * i);
        eeprom.setValue(a, 2, static_cast<std::uint16_t>(p.ranges[i][0]));
        eeprom.setValue(a + 2, 2, static_cast<std::uint16_t>(p.ranges[i][1]));
    }

    const std::uint32_t info = base(p, "UserInfo") & mask;
    eeprom.fill(info, kUserInfoBytes, 0);
    for (std::size_t i = 0; i < p.userInfo.size() && i < kUserInfoBytes; ++i)
        eeprom.set(info + static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(p.userInfo[i]));

    if (p.loggers.size() > kLoggerCount) throw std::runtime_error("at most four loggers");
    const std::uint32_t twa = base(p, "TWAarray") & mask;
    eeprom.fill(twa, kTwaArrayBytes, 0);
    for (std::size_t c = 0; c < p.loggers.size(); ++c) {
        const auto& logger = p.loggers[c];
        const auto a = twa + static_cast<std::uint32_t>(8 * c);
        eeprom.setValue(a, 2, logger.size);
        eeprom.setValue(a + 2, 2, logger.startValue);
        eeprom.setValue(a + 4, 2, logger.pointer);
        for (std::uint32_t j = 0; j < logger.size; ++j)
            eeprom.setValue((logger.pointer & mask) + 2 * j, 2, logger.startValue);
    }
}

}  // namespace

bool hasFlashProcessor(int platform) {
    return platform == 8;
}

int menuBytes(const Profile& p, int platform) {
    if (hasFlashProcessor(platform) || p.processorVersion == 1) {
        if (p.menu.menuNr == 1) return kMenuHeaderBytes + 16 * 8;
        if (p.menu.menuNr == 2) return kMenuHeaderBytes + 16 * 16;
        return kMenuHeaderBytes;
    }
    return p.processorVersion == 0 ? 16 * 8 : 0;
}

void buildImage78(const Profile& p, int platform, Memories& m) {
    Memory& eeprom = m.eeprom;
    eeprom.fill(0, kLowRegionEnd, 0);
    const auto upper =
        at(hasFlashProcessor(platform) ? kUpperRegionFull : kUpperRegionNoFlash, eeprom);
    eeprom.fill(upper, eeprom.size() - upper, 0);
    checkAreas(areas(p, platform, eeprom), platform, eeprom);

    writeIdentity(p, eeprom);
    for (std::size_t i = 0; i < p.caseChannels.size() && i < 16; ++i)
        eeprom.set(at(kCaseChannels, eeprom) + static_cast<std::uint32_t>(i), p.caseChannels[i]);
    for (std::size_t i = 0; i < p.caseRegs.size() && i < 16; ++i)
        eeprom.set(at(kCaseRegs, eeprom) + static_cast<std::uint32_t>(i), p.caseRegs[i]);
    writeAreas(p, platform, eeprom);

    m.ram.set(kRamPart, p.partByte);
}

}  // namespace kvsim
