#include "model/Profile.h"

#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace kvsim {
namespace {

using nlohmann::json;

constexpr int kMaxExtendsDepth = 8;

json readJson(const std::filesystem::path& file, int depth) {
    if (depth > kMaxExtendsDepth) throw std::runtime_error("profiles extend each other in a loop");
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot open profile " + file.string());
    json doc = json::parse(in, nullptr, false);
    if (doc.is_discarded() || !doc.is_object())
        throw std::runtime_error("profile " + file.string() + " is not a JSON object");
    if (!doc.contains("extends")) return doc;
    const auto base = doc.at("extends").get<std::string>();
    doc.erase("extends");
    json merged = readJson(file.parent_path() / (base + ".json"), depth + 1);
    merged.merge_patch(doc);
    return merged;
}

template <typename T>
T integer(const json& value, const char* what) {
    const auto v = value.get<long long>();
    if (v < static_cast<long long>(std::numeric_limits<T>::min()) ||
        v > static_cast<long long>(std::numeric_limits<T>::max()))
        throw std::runtime_error(std::string(what) + " is out of range: " + std::to_string(v));
    return static_cast<T>(v);
}

std::vector<std::uint8_t> bytes(const json& array, const char* what) {
    std::vector<std::uint8_t> out;
    for (const auto& v : array) out.push_back(integer<std::uint8_t>(v, what));
    return out;
}

void readHardware(const json& j, Profile::Hardware& hw) {
    hw.temperatureErrorC = j.value("temperatureErrorC", hw.temperatureErrorC);
    hw.detectorOffsetC = j.value("detectorOffsetC", hw.detectorOffsetC);
    if (j.contains("co2")) {
        const auto& c = j.at("co2");
        hw.co2.zero = c.value("zero", hw.co2.zero);
        hw.co2.span = c.value("span", hw.co2.span);
        hw.co2.ts = c.value("ts", hw.co2.ts);
        hw.co2.signalNoise = c.value("signalNoise", hw.co2.signalNoise);
        if (hw.co2.zero <= 0 || hw.co2.span <= 0)
            throw std::runtime_error("hardware CO2 zero and span must be positive");
    }
    if (j.contains("rh")) {
        const auto& r = j.at("rh");
        hw.rh.zeroV = r.value("zeroV", hw.rh.zeroV);
        hw.rh.slopeMvPerPct = r.value("slopeMvPerPct", hw.rh.slopeMvPerPct);
    }
    if (j.contains("co")) {
        const auto& c = j.at("co");
        hw.co.kind = c.at("kind").get<std::string>();
        if (hw.co.kind != "heated" && hw.co.kind != "figaro")
            throw std::runtime_error("hardware CO kind must be \"heated\" or \"figaro\"");
        hw.co.r0Ohm = c.value("r0Ohm", hw.co.r0Ohm);
        hw.co.ohmPerGm3 = c.value("ohmPerGm3", hw.co.ohmPerGm3);
        hw.co.ohmPerPpm = c.value("ohmPerPpm", hw.co.ohmPerPpm);
        hw.co.zeroCount = c.value("zeroCount", hw.co.zeroCount);
        hw.co.countsPerPpm = c.value("countsPerPpm", hw.co.countsPerPpm);
        hw.co.crossSensitivity = c.value("crossSensitivity", hw.co.crossSensitivity);
    }
}

Profile fromJson(const json& j) {
    Profile p;
    p.description = j.value("description", "");
    p.partByte = integer<std::uint8_t>(j.at("partByte"), "partByte");
    p.serialNumber = integer<std::uint32_t>(j.at("serialNumber"), "serialNumber");
    p.processorVersion =
        integer<std::uint8_t>(j.value("processorVersion", json(0)), "processorVersion");
    p.ramSize = integer<std::uint16_t>(j.value("ramSize", json(0)), "ramSize");
    if (j.contains("eeprom")) {
        const auto& e = j.at("eeprom");
        p.eepromSize = integer<std::uint32_t>(e.at("size"), "eeprom size");
        p.communicationOption =
            integer<std::uint8_t>(e.value("communicationOption", json(0)), "communicationOption");
    }
    if (j.contains("flash")) {
        const auto& f = j.at("flash");
        p.flashSize = integer<std::uint32_t>(f.at("size"), "flash size");
        p.firmware = f.value("firmware", "");
    }
    const json productId = j.value("productId", json::object());
    for (const auto& [key, v] : productId.items())
        p.productId[key] = integer<std::uint8_t>(v, "productId entry");
    const json baseAddresses = j.value("baseAddresses", json::object());
    for (const auto& [key, v] : baseAddresses.items())
        p.baseAddresses[key] = integer<std::uint16_t>(v, "base address");
    p.adsCode = bytes(j.value("adsCode", json::array()), "adsCode byte");
    const json tables = j.value("tables", json::array());
    for (const auto& table : tables) {
        if (!table.is_array() || table.size() != 17)
            throw std::runtime_error("every table needs 17 points");
        std::array<int, 17> points{};
        for (std::size_t i = 0; i < 17; ++i)
            points[i] = integer<std::int16_t>(table.at(i), "table point");
        p.tables.push_back(points);
    }
    p.caseChannels = bytes(j.value("caseChannels", json::array()), "caseChannels byte");
    p.caseRegs = bytes(j.value("caseRegs", json::array()), "caseRegs byte");
    if (j.contains("menu")) {
        const auto& m = j.at("menu");
        p.menu.displayNr = integer<std::uint8_t>(m.value("displayNr", json(1)), "displayNr");
        p.menu.menuNr = integer<std::uint8_t>(m.value("menuNr", json(2)), "menuNr");
        p.menu.ledAckBatNr = integer<std::uint8_t>(m.value("ledAckBatNr", json(0)), "ledAckBatNr");
    }
    const json ranges = j.value("ranges", json::array());
    for (const auto& r : ranges)
        p.ranges.push_back({integer<std::int16_t>(r.at(0), "range minimum"),
                            integer<std::int16_t>(r.at(1), "range maximum")});
    p.userInfo = j.value("userInfo", "");
    const json loggers = j.value("loggers", json::array());
    for (const auto& l : loggers) {
        Profile::Logger logger;
        logger.size = integer<std::uint16_t>(l.at("size"), "logger size");
        logger.startValue = integer<std::uint16_t>(l.value("startValue", json(0)), "startValue");
        logger.pointer = integer<std::uint16_t>(l.at("pointer"), "logger pointer");
        p.loggers.push_back(logger);
    }
    const json parameters = j.value("parameters", json::object());
    for (const auto& [key, v] : parameters.items()) p.parameters[key] = v.get<long>();
    const json mirrors = j.value("mirrors", json::array());
    for (const auto& m : mirrors)
        p.mirrors.push_back({integer<std::int32_t>(m.at("eeprom"), "mirror eeprom"),
                             integer<std::uint16_t>(m.at("ram"), "mirror ram"),
                             integer<std::uint16_t>(m.at("length"), "mirror length")});
    readHardware(j.value("hardware", json::object()), p.hardware);
    p.noiseSeed = integer<std::uint32_t>(j.value("noiseSeed", json(1)), "noiseSeed");
    return p;
}

}  // namespace

Profile loadProfile(const std::filesystem::path& file) {
    try {
        Profile p = fromJson(readJson(file, 0));
        p.name = file.stem().string();
        return p;
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error("malformed profile " + file.string() + ": " + e.what());
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("profile " + file.string() + ": " + e.what());
    }
}

}  // namespace kvsim
