#include "reliability/SoakBench.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>

#include "facade/LibraryState.h"
#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"
#include "link/PortTable.h"
#include "wire/Checksum.h"

namespace kvrel {

using kvsim::Fault;
using kvsim::Protocol;

namespace {

constexpr int kHorizon = 300;           // exchanges scheduled ahead of one operation
constexpr double kBudgetSeconds = 200;  // far beyond any operation that retries as it should
constexpr std::size_t kProblemsKept = 8;

constexpr std::int32_t kSizeCodeAdr = 2025;  // (2048 - 1) AND 0xFFE9
constexpr std::int32_t kFlashSize = 256;
constexpr std::int32_t kRegisterBytes = 256;

const std::vector<Fault> kKvbusMix{Fault::NoCtr,     Fault::WrongCtr,    Fault::NoAck,
                                   Fault::WrongAck,  Fault::BadChecksum, Fault::ShortReply,
                                   Fault::LateReply, Fault::Noise,       Fault::EepromBitFlip};
const std::vector<Fault> kModbusMix{Fault::NoAck,        Fault::WrongAck,  Fault::BadChecksum,
                                    Fault::ShortReply,   Fault::LateReply, Fault::Noise,
                                    Fault::EepromBitFlip};

bool has(const std::set<Fault>& faults, Fault f) {
    return faults.count(f) != 0;
}

// The virtual sensor finds the end of a several-register function-6 frame by its CRC (a real one
// goes by the silence after it), so a frame whose first registers happen to carry a valid CRC is
// cut short there, about once in 65,000 frames. Values that would do so are drawn again.
bool cutShortOnTheBench(std::int32_t start, const std::vector<std::uint8_t>& values) {
    std::size_t i = 0;
    while (i < values.size()) {
        std::vector<std::uint8_t> frame{254, 6, 0, static_cast<std::uint8_t>((start + i) / 2)};
        do {
            frame.push_back(values[i]);
            ++i;
        } while (i < values.size() && ((start + i) & 0x0F) != 0);
        for (std::size_t size = 8; size <= frame.size(); size += 2) {
            const auto crc = kvsim::crc16(std::span<const std::uint8_t>(frame.data(), size - 2));
            if (frame[size - 2] == (crc & 0xFF) && frame[size - 1] == (crc >> 8)) return true;
        }
    }
    return false;
}

}  // namespace

std::string SoakFigures::summary(const std::string& title) const {
    std::ostringstream out;
    out << title << ": transfers tried " << operations << " (sensor exchanges " << attempts
        << "), faults injected " << faultsInjected << " (" << faultsOnDoomed
        << " on transfers faulted at every attempt), failed " << failures << " (all attempts "
        << "faulted " << doomed << "), wrong error numbers " << wrongNumbers
        << ", wrong values served " << wrongValues << ", crashes " << crashes << ", hangs " << hangs
        << ", port left open " << portLeftOpen << ", EEPROM left unlocked " << eepromUnlocked
        << ", longest transfer " << longestSeconds << " s";
    for (const auto& p : problems) out << "\n  " << p;
    return out.str();
}

std::shared_ptr<kvtest::FakeSensor> soakSensor(int platform) {
    const bool eight = platform == 8;
    auto sensor = std::make_shared<kvtest::FakeSensor>(platform, eight, eight ? 2 : 1);
    auto& ram = sensor->memory(kvsim::Space::RAM);
    ram[65] = static_cast<std::uint8_t>((eight ? 19 : 27) << 3);
    auto& eeprom = sensor->memory(kvsim::Space::EEPROM);
    for (std::size_t i = 0; i < eeprom.size(); ++i) eeprom[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    eeprom[kSizeCodeAdr] = 1;  // 2 kB
    auto& flash = sensor->memory(kvsim::Space::FLASH);
    for (std::size_t i = 0; i < flash.size(); ++i) flash[i] = static_cast<std::uint8_t>(i * 3 + 1);
    for (std::uint16_t r = 0; r < kRegisterBytes / 2; ++r) {
        sensor->inputRegisters[r] = static_cast<std::uint16_t>(0x1000 + r * 257);
        sensor->holdingRegisters[r] = static_cast<std::uint16_t>(r * 911);
    }
    return sensor;
}

SoakRun::SoakRun(kvsim::Line& line, kvtest::FakeSensor& sensor, kvcom3::clsAdressLevel& level,
                 int port, Protocol protocol, std::uint32_t seed)
    : line_(line),
      sensor_(sensor),
      level_(level),
      port_(port),
      protocol_(protocol),
      random_(seed),
      wordEeprom_(!sensor.byteAccess()) {}

// Platform 6 reaches RAM with one address byte and bit 8, and has 512 bytes of EEPROM.
std::int32_t SoakRun::limitOf(std::uint8_t memType) const {
    switch (memType) {
        case kvcom3::kvRAM: return wordEeprom_ ? 512 : 1024;
        case kvcom3::kvEEPROM: return wordEeprom_ ? 512 : 2048;
        case kvcom3::kvFLASH: return kFlashSize;
        default: return kRegisterBytes;
    }
}

int SoakRun::random(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
}

void SoakRun::problem(long& counter, const std::string& text) {
    ++counter;
    if (figures_.problems.size() < kProblemsKept) figures_.problems.push_back(text);
}

SoakRun::Plan SoakRun::plan() {
    const bool modbus = protocol_ == Protocol::Modbus;
    Plan p;
    const int dice = random(0, 99);
    if (modbus && dice >= 90) {
        p.op = Op::Command;
        p.command = random(0, 4);
        return p;
    }
    if (dice < 55) {
        p.op = Op::Read;
        p.memType = static_cast<std::uint8_t>(modbus ? random(0, 4) : random(0, 1));
        p.count = random(1, modbus ? 64 : 40);
        p.start = random(0, limitOf(p.memType) - p.count);
        return p;
    }
    p.op = Op::Write;
    const int kind = random(0, modbus ? 2 : 1);
    if (kind == 2) {
        p.memType = kvcom3::kvMBHR;
        p.count = 2 * random(1, 4);
        p.start = 2 * random(0, (kRegisterBytes - p.count) / 2);
    } else if (kind == 1) {
        p.memType = kvcom3::kvEEPROM;
        p.count = random(1, 8);
        p.start = random(0, 1900);  // clear of the size code and the identification at the end
        if (wordEeprom_) {
            // Whole words, as this EEPROM is written.
            p.count = 2 * random(1, 4);
            p.start = 2 * random(0, (limitOf(p.memType) - p.count) / 2);
        }
    } else {
        p.memType = kvcom3::kvRAM;
        p.count = random(1, 8);
        p.start = random(100, limitOf(p.memType) - p.count);  // clear of the part byte
    }
    return p;
}

// One transfer, so that the attempt limit of its protocol is what ends it.
SoakRun::Plan SoakRun::doomedPlan() {
    const bool modbus = protocol_ == Protocol::Modbus;
    Plan p;
    p.doomed = true;
    const int kind = random(0, modbus ? 2 : 1);
    if (kind == 2) {
        p.op = Op::Command;
        p.command = random(0, 4);
        return p;
    }
    if (kind == 1) {
        p.op = Op::Write;
        p.memType = kvcom3::kvRAM;
        p.count = random(1, 4);
        // Within one 16-byte row.
        p.start = 16 * random(7, limitOf(p.memType) / 16 - 4) + random(0, 16 - p.count);
        return p;
    }
    p.op = Op::Read;
    p.memType = static_cast<std::uint8_t>(modbus ? random(0, 2) : random(0, 1));
    p.count = random(1, modbus ? 32 : 6);
    p.start = random(0, std::min(limitOf(p.memType), 1900) - p.count);
    if (p.memType == kvcom3::kvRAM && p.start <= 65 && p.start + p.count > 65) p.start = 100;
    return p;
}

void SoakRun::schedule(const Plan& plan, std::uint32_t firstExchange) {
    line_.clearFaults();
    scheduled_.clear();
    const bool modbus = protocol_ == Protocol::Modbus;
    auto add = [&](std::uint32_t exchange, Fault fault) {
        kvsim::FaultRule rule{fault};
        if (fault == Fault::LateReply) rule.value = random(10, 700);
        if (fault == Fault::Noise) rule.value = random(1, 3);
        rule.first = rule.last = static_cast<int>(exchange);
        line_.addFault(rule);
        scheduled_[exchange] = fault;
    };
    if (!plan.doomed) {
        const auto& mix = modbus ? kModbusMix : kKvbusMix;
        std::bernoulli_distribution strikes(faultRate);
        for (int i = 1; i <= kHorizon; ++i) {
            if (!strikes(random_)) continue;
            add(firstExchange + i, mix[static_cast<std::size_t>(random(0, int(mix.size()) - 1))]);
        }
        return;
    }
    // Faults that fail an attempt of this kind of transfer for certain.
    std::vector<Fault> kinds;
    int attempts = 50;
    if (modbus) {
        attempts = 10;
        if (plan.op == Op::Read) {
            kinds = {Fault::NoAck, Fault::BadChecksum, Fault::ShortReply, Fault::Noise};
        } else if (plan.op == Op::Write) {
            kinds = {Fault::NoAck, Fault::WrongAck};
        } else {
            kinds = {Fault::NoAck, Fault::WrongAck, Fault::BadChecksum, Fault::ShortReply,
                     Fault::Noise};
        }
    } else if (plan.op == Op::Read) {
        kinds = {Fault::NoCtr,    Fault::WrongCtr,    Fault::NoAck,
                 Fault::WrongAck, Fault::BadChecksum, Fault::ShortReply};
    } else {
        kinds = {Fault::NoCtr, Fault::WrongCtr, Fault::NoAck, Fault::WrongAck, Fault::ShortReply};
    }
    // A few kinds per transfer, so that every error number gets its turn.
    std::shuffle(kinds.begin(), kinds.end(), random_);
    kinds.resize(static_cast<std::size_t>(random(1, std::min<int>(3, int(kinds.size())))));
    for (int i = 1; i <= attempts; ++i) {
        add(firstExchange + i, kinds[static_cast<std::size_t>(random(0, int(kinds.size()) - 1))]);
    }
}

std::int32_t SoakRun::expectedNumber(const Plan& plan, std::uint32_t firstExchange,
                                     std::uint32_t lastExchange) const {
    std::set<Fault> met;
    for (auto it = scheduled_.upper_bound(firstExchange);
         it != scheduled_.end() && it->first <= lastExchange; ++it) {
        met.insert(it->second);
    }
    if (protocol_ == Protocol::Modbus) {
        switch (plan.op) {
            case Op::Read: return has(met, Fault::BadChecksum) ? 1202 : 1000;
            case Op::Write: return has(met, Fault::WrongAck) ? 1200 : 1000;
            case Op::Command:
                return has(met, Fault::WrongAck) || has(met, Fault::BadChecksum) ? 1200 : 1000;
        }
    }
    if (has(met, Fault::WrongCtr)) return 1201;
    if (has(met, Fault::WrongAck)) return 1200;
    if (plan.op == Op::Read && has(met, Fault::BadChecksum)) return 1202;
    return 1000;
}

void SoakRun::execute(const Plan& plan, std::vector<std::uint8_t>& written) {
    switch (plan.op) {
        case Op::Read:
            level_.ReadFromSensor(plan.start, plan.count, plan.memType, kvcom3::kvReadFromSensor);
            return;
        case Op::Write:
            do {
                written.clear();
                for (std::int32_t i = 0; i < plan.count; ++i) {
                    written.push_back(static_cast<std::uint8_t>(random(0, 255)));
                }
            } while (plan.memType == kvcom3::kvMBHR && cutShortOnTheBench(plan.start, written));
            for (std::int32_t i = 0; i < plan.count; ++i) {
                level_.LetValue(plan.start + i, 1, plan.memType, false, 0, 0,
                                written[static_cast<std::size_t>(i)]);
            }
            level_.WriteToSensor(plan.start, plan.count, plan.memType, kvcom3::kvWriteToSensor);
            return;
        case Op::Command:
            switch (plan.command) {
                case 0: level_.Transparent(true); return;
                case 1: level_.Transparent(false); return;
                case 2: level_.Power(true); return;
                case 3: level_.Power(false); return;
                default: level_.SensorReset(); return;
            }
    }
}

std::uint8_t SoakRun::sensorByte(std::uint8_t memType, std::int32_t adr) const {
    const auto a = static_cast<std::uint32_t>(adr);
    switch (memType) {
        case kvcom3::kvRAM: return sensor_.read(kvsim::Space::RAM, a);
        case kvcom3::kvEEPROM: return sensor_.read(kvsim::Space::EEPROM, a);
        case kvcom3::kvFLASH: return sensor_.read(kvsim::Space::FLASH, a);
        default: break;
    }
    const auto& registers =
        memType == kvcom3::kvMBIR ? sensor_.inputRegisters : sensor_.holdingRegisters;
    const std::uint16_t word = registers.at(static_cast<std::uint16_t>(a / 2));
    return static_cast<std::uint8_t>(a % 2 == 0 ? word >> 8 : word & 0xFF);
}

void SoakRun::check(const Plan& plan, const std::vector<std::uint8_t>& written, bool failed,
                    std::int32_t number, std::uint32_t firstExchange, std::uint32_t lastExchange) {
    const std::string where = "operation " + std::to_string(figures_.operations) + " (mem " +
                              std::to_string(plan.memType) + " at " + std::to_string(plan.start) +
                              " x" + std::to_string(plan.count) + ")";
    if (plan.doomed) {
        const auto expected = expectedNumber(plan, firstExchange, lastExchange);
        if (!failed || number != expected) {
            problem(figures_.wrongNumbers, where + ": ended with " + std::to_string(number) +
                                               ", its faults call for " + std::to_string(expected));
        }
    } else if (failed) {
        int flips = 0;
        for (auto it = scheduled_.upper_bound(firstExchange);
             it != scheduled_.end() && it->first <= lastExchange; ++it) {
            flips += it->second == Fault::EepromBitFlip;
        }
        // A block whose write and rewrite both met a bit flip is reported, not hidden.
        if (!(number == 1206 && flips >= 2)) {
            problem(figures_.wrongNumbers, where + ": failed with " + std::to_string(number));
        }
    }
    if (plan.op == Op::Read) {
        for (std::int32_t i = 0; i < plan.count; ++i) {
            const std::int32_t adr = plan.start + i;
            if (failed && !level_.AdressGotValueP(adr, plan.memType)) continue;
            const auto held = level_.Value(adr, 1, plan.memType);
            if (held != sensorByte(plan.memType, adr)) {
                problem(figures_.wrongValues, where + ": image holds " + std::to_string(held) +
                                                  " at " + std::to_string(adr) + ", the sensor " +
                                                  std::to_string(sensorByte(plan.memType, adr)));
            }
        }
    } else if (plan.op == Op::Write && !failed) {
        for (std::int32_t i = 0; i < plan.count; ++i) {
            const std::int32_t adr = plan.start + i;
            if (sensorByte(plan.memType, adr) != written[static_cast<std::size_t>(i)]) {
                problem(figures_.wrongValues,
                        where + ": sensor holds " + std::to_string(sensorByte(plan.memType, adr)) +
                            " at " + std::to_string(adr) + " after writing " +
                            std::to_string(written[static_cast<std::size_t>(i)]));
            }
        }
    }
    if (!kvcom3::gLeavePortOpen && kvcom3::portSlot(port_).isOpen()) {
        problem(figures_.portLeftOpen, where + ": port left open");
    }
    if (!sensor_.eepromLocked()) problem(figures_.eepromUnlocked, where + ": EEPROM unlocked");
}

void SoakRun::run(long operations) {
    std::vector<std::uint8_t> written;
    for (long n = 0; n < operations; ++n) {
        const bool doomed = doomedEvery > 0 && n % doomedEvery == doomedEvery - 1;
        const Plan p = doomed ? doomedPlan() : plan();
        const auto first = static_cast<std::uint32_t>(line_.transfers(kvsim::Domain::Sensor));
        schedule(p, first);
        ++figures_.operations;
        figures_.doomed += p.doomed;
        const auto began = kvcom3::clock().now();
        bool failed = false;
        std::int32_t number = 0;
        try {
            execute(p, written);
        } catch (const kvcom3::KvError& e) {
            failed = true;
            number = e.number();
        } catch (const std::exception& e) {
            problem(figures_.crashes, std::string("unexpected exception: ") + e.what());
            failed = true;
        }
        const double seconds = std::chrono::duration<double>(kvcom3::clock().now() - began).count();
        figures_.longestSeconds = std::max(figures_.longestSeconds, seconds);
        if (seconds > kBudgetSeconds) {
            problem(figures_.hangs,
                    "operation " + std::to_string(n) + " took " + std::to_string(seconds) + " s");
        }
        const auto last = static_cast<std::uint32_t>(line_.transfers(kvsim::Domain::Sensor));
        figures_.attempts += last - first;
        for (auto it = scheduled_.upper_bound(first); it != scheduled_.end() && it->first <= last;
             ++it) {
            ++figures_.faultsInjected;
            figures_.faultsOnDoomed += p.doomed;
        }
        figures_.failures += failed;
        check(p, written, failed, number, first, last);
        // A failed write leaves values in the image that the sensor may never have taken.
        if (failed && p.op == Op::Write) level_.Clear();
    }
    line_.clearFaults();
}

int openDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

}  // namespace kvrel
