#include "wire/FaultInjector.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <utility>

namespace kvsim {

namespace {

constexpr std::array<std::pair<std::string_view, Fault>, 11> kNames{{
    {"no-ctr", Fault::NoCtr},
    {"wrong-ctr", Fault::WrongCtr},
    {"no-ack", Fault::NoAck},
    {"wrong-ack", Fault::WrongAck},
    {"bad-checksum", Fault::BadChecksum},
    {"short-reply", Fault::ShortReply},
    {"late-reply", Fault::LateReply},
    {"noise", Fault::Noise},
    {"eeprom-bitflip", Fault::EepromBitFlip},
    {"silent-mux", Fault::SilentMux},
    {"unplug", Fault::Unplug},
}};

[[noreturn]] void reject(std::string_view text, const std::string& why) {
    throw std::invalid_argument("fault \"" + std::string(text) + "\": " + why);
}

int number(std::string_view whole, std::string_view part, int low, int high) {
    int value = 0;
    auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc{} || end != part.data() + part.size() || part.empty()) {
        reject(whole, "\"" + std::string(part) + "\" is not a number");
    }
    if (value < low || value > high) {
        reject(whole, std::to_string(value) + " is out of range " + std::to_string(low) + "-" +
                          std::to_string(high));
    }
    return value;
}

std::size_t slot(Fault fault) {
    return static_cast<std::size_t>(fault);
}

}  // namespace

std::string_view faultName(Fault fault) {
    for (const auto& [name, value] : kNames) {
        if (value == fault) return name;
    }
    return "?";
}

Domain faultDomain(Fault fault) {
    return fault == Fault::SilentMux ? Domain::Mux : Domain::Sensor;
}

FaultRule parseFaultRule(std::string_view text) {
    std::string_view rest = text;
    std::optional<std::string_view> percent;
    std::optional<std::string_view> range;
    if (auto p = rest.find('%'); p != std::string_view::npos) {
        percent = rest.substr(p + 1);
        rest = rest.substr(0, p);
    }
    if (auto p = rest.find('@'); p != std::string_view::npos) {
        range = rest.substr(p + 1);
        rest = rest.substr(0, p);
    }
    if (range && range->empty()) reject(text, "no transfer after @");
    std::string_view valueText;
    if (auto p = rest.find('='); p != std::string_view::npos) {
        valueText = rest.substr(p + 1);
        rest = rest.substr(0, p);
    }

    FaultRule rule{Fault::NoCtr};
    bool known = false;
    for (const auto& [name, fault] : kNames) {
        if (name == rest) {
            rule.fault = fault;
            known = true;
        }
    }
    if (!known) reject(text, "unknown kind \"" + std::string(rest) + "\"");

    const bool takesValue = rule.fault == Fault::LateReply || rule.fault == Fault::Noise;
    if (takesValue && valueText.empty()) reject(text, "needs a value (KIND=N)");
    if (!takesValue && !valueText.empty()) reject(text, "takes no value");
    if (takesValue) rule.value = number(text, valueText, 1, 60000);

    if (range) {
        const auto r = *range;
        if (r.back() == '+') {
            rule.first = number(text, r.substr(0, r.size() - 1), 1, 1000000000);
        } else if (auto dash = r.find('-'); dash != std::string_view::npos) {
            rule.first = number(text, r.substr(0, dash), 1, 1000000000);
            rule.last = number(text, r.substr(dash + 1), rule.first, 1000000000);
        } else {
            rule.first = rule.last = number(text, r, 1, 1000000000);
        }
    }
    if (percent) rule.probability = number(text, *percent, 0, 100) / 100.0;
    return rule;
}

FaultInjector::FaultInjector(std::uint32_t seed) : random_(seed) {}

void FaultInjector::add(const FaultRule& rule) {
    rules_.push_back(rule);
}

void FaultInjector::clear() {
    rules_.clear();
    active_.fill(0);
}

void FaultInjector::beginTransfer(Domain domain) {
    const int count = ++counts_[static_cast<std::size_t>(domain)];
    for (const auto& [name, fault] : kNames) {
        if (faultDomain(fault) == domain) active_[slot(fault)] = 0;
    }
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (const auto& rule : rules_) {
        if (faultDomain(rule.fault) != domain) continue;
        if (count < rule.first || count > rule.last) continue;
        if (rule.probability < 1.0 && chance(random_) >= rule.probability) continue;
        active_[slot(rule.fault)] = rule.value + 1;
    }
}

bool FaultInjector::active(Fault fault) const {
    return active_[slot(fault)] != 0;
}

int FaultInjector::value(Fault fault) const {
    return active(fault) ? active_[slot(fault)] - 1 : 0;
}

std::uint8_t FaultInjector::randomByte() {
    return static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random_));
}

}  // namespace kvsim
