#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "host/InProcessDevice.h"
#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"
#include "util/FakeSensor.h"
#include "util/VirtualClock.h"
#include "wire/Bench.h"
#include "wire/Checksum.h"

namespace {

using namespace std::chrono_literals;
using kvsim::Direction;
using Bytes = std::vector<std::uint8_t>;

const kvcom3::LineSettings kKvbusLine{9600, 'n', 8, 1};
const kvcom3::LineSettings kModbusLine{9600, 'n', 8, 2};

// A host as the protocols are: write, then wait until `count` bytes or the time-out.
Bytes ask(kvsim::InProcessDevice& device, const Bytes& request, std::size_t count,
          std::chrono::milliseconds timeout = 500ms) {
    device.write(request);
    kvcom3::Deadline deadline(timeout);
    while (device.bytesWaiting() < count && !deadline.expired()) {
        device.waitReadable(deadline.remaining());
    }
    return device.readAll();
}

struct Bench {
    explicit Bench(kvsim::LineOptions options = {},
                   kvsim::Protocol protocol = kvsim::Protocol::Kvbus)
        : sensor(std::make_shared<kvtest::FakeSensor>(6, false, 1)),
          line(kvsim::makeLine({{.sensor = sensor, .protocol = protocol}}, options)),
          device(line) {
        sensor->holdingRegisters = {{0, 0x1234}};
        device.open(protocol == kvsim::Protocol::Kvbus ? kKvbusLine : kModbusLine, false);
    }
    // Reads RAM 300..301: address byte, CTR, frame, reply.
    Bytes read300() {
        auto ctr = ask(device, {0xFE}, 1, 100ms);
        if (ctr != Bytes{0xDF}) return ctr;
        return ask(device, {0xC2, 0x2C, 0xEE}, 4);
    }
    Bytes expected300() const {
        Bytes b{0x06, sensor->read(kvsim::Space::RAM, 300), sensor->read(kvsim::Space::RAM, 301)};
        b.push_back(static_cast<std::uint8_t>(b[0] + b[1] + b[2]));
        return b;
    }

    kvtest::ScopedVirtualClock clock;
    std::shared_ptr<kvtest::FakeSensor> sensor;
    std::shared_ptr<kvsim::Line> line;
    kvsim::InProcessDevice device;
};

TEST(InProcessDevice, RepliesArriveAfterTheTurnaroundWithoutSpinning) {
    Bench bench({.turnaround = 5ms});
    const auto start = bench.clock->now();
    bench.device.write(Bytes{0xFE});
    EXPECT_EQ(bench.device.bytesWaiting(), 0u);
    bench.device.waitReadable(100ms);
    EXPECT_EQ(bench.clock->now() - start, 5ms);
    EXPECT_EQ(bench.device.readAll(), Bytes{0xDF});
    // Nothing on its way: the wait sleeps the whole limit in one go.
    bench.device.waitReadable(40ms);
    EXPECT_EQ(bench.clock->now() - start, 45ms);
}

TEST(InProcessDevice, PacesCharactersAtTheLineRate) {
    for (const auto& [settings, bits] : {std::pair{kKvbusLine, 10}, std::pair{kModbusLine, 11}}) {
        SCOPED_TRACE(bits);
        Bench bench({.pacing = true});
        bench.device.applySettings(settings);
        const std::chrono::nanoseconds character(1'000'000'000LL * bits / 9600);
        EXPECT_EQ(bench.line->characterTime(), character);
        const auto start = bench.clock->now();
        EXPECT_EQ(bench.read300(), bench.expected300());
        const auto entries = bench.line->transcript().entries();
        ASSERT_EQ(entries.size(), 9u);
        EXPECT_EQ(entries[0].at - start, character);
        EXPECT_EQ(entries[1].at - entries[0].at, character);
        // The four reply bytes follow one another without gaps.
        EXPECT_EQ(entries[8].at - entries[5].at, 3 * character);
    }
}

TEST(InProcessDevice, LosesWhatArrivesWhileClosedAndRefusesUseWhenClosed) {
    Bench bench({.turnaround = 10ms});
    bench.device.write(Bytes{0xFE});
    bench.device.close();
    EXPECT_THROW(bench.device.readAll(), kvcom3::KvError);
    kvcom3::Sleep(20ms);
    bench.device.open(kKvbusLine, true);
    EXPECT_TRUE(bench.device.rts());
    EXPECT_EQ(bench.device.bytesWaiting(), 0u);
}

TEST(InProcessDevice, AnUnpluggedLineFailsEveryOperation) {
    Bench bench;
    bench.line->addFault("unplug@2");
    EXPECT_EQ(bench.read300(), bench.expected300());
    bench.device.write(Bytes{0xFE});
    try {
        bench.device.bytesWaiting();
        FAIL() << "no error after unplugging";
    } catch (const kvcom3::KvError& e) {
        EXPECT_EQ(e.number(), kvcom3::platform_error::PathFileAccess);
    }
    bench.device.close();
    EXPECT_THROW(bench.device.open(kKvbusLine, false), kvcom3::KvError);
}

TEST(LineTranscript, RecordsEveryByteAsFramesInBothDirections) {
    Bench bench;
    const auto reply = bench.read300();
    const auto chunks = bench.line->transcript().chunks();
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].direction, Direction::ToDevice);
    EXPECT_EQ(chunks[0].bytes, Bytes{0xFE});
    EXPECT_EQ(chunks[1].bytes, Bytes{0xDF});
    EXPECT_EQ(chunks[2].bytes, (Bytes{0xC2, 0x2C, 0xEE}));
    EXPECT_EQ(chunks[3].direction, Direction::ToHost);
    EXPECT_EQ(chunks[3].bytes, reply);
    EXPECT_EQ(bench.line->transcript().bytes(Direction::ToDevice), (Bytes{0xFE, 0xC2, 0x2C, 0xEE}));
    EXPECT_EQ(bench.line->transcript().text().substr(0, 17), "  0.000000 -> FE\n");
}

TEST(LineFaults, ShapeTheKvbusExchangeAsNamed) {
    Bench reference;
    const auto good = reference.expected300();
    struct Case {
        const char* fault;
        Bytes ctr;
        Bytes reply;
    };
    Bytes badSum = good;
    badSum[badSum.size() - 1] ^= 0xFF;
    Bytes wrongAck = good;
    wrongAck[0] = 0x15;
    const Case cases[] = {
        // The sensor did send its CTR, so it still answers a frame that follows.
        {"no-ctr", {}, good},
        {"wrong-ctr", {0x00}, good},
        {"no-ack", {0xDF}, {}},
        {"wrong-ack", {0xDF}, wrongAck},
        {"bad-checksum", {0xDF}, badSum},
        {"short-reply", {0xDF}, Bytes(good.begin(), good.end() - 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Bench bench;
        bench.line->addFault(c.fault);
        EXPECT_EQ(ask(bench.device, {0xFE}, 1, 100ms), c.ctr);
        EXPECT_EQ(ask(bench.device, {0xC2, 0x2C, 0xEE}, 4), c.reply);
    }
}

TEST(LineFaults, LateReplyAndNoiseChangeTimingAndContent) {
    Bench late;
    late.line->addFault("late-reply=300");
    const auto start = late.clock->now();
    EXPECT_EQ(ask(late.device, {0xFE}, 1, 1000ms), Bytes{0xDF});
    EXPECT_EQ(late.clock->now() - start, 300ms);

    Bench noisy;
    noisy.line->addFault("noise=3");
    EXPECT_EQ(ask(noisy.device, {0xFE}, 1), Bytes{0xDF});
    const auto reply = ask(noisy.device, {0xC2, 0x2C, 0xEE}, 7);
    ASSERT_EQ(reply.size(), 7u);
    EXPECT_EQ(Bytes(reply.begin() + 3, reply.end()), noisy.expected300());
}

TEST(LineFaults, ScriptedFaultsStrikeOnlyTheirTransfers) {
    Bench bench;
    bench.line->addFault("no-ack@2-3");
    std::vector<bool> answered;
    for (int i = 0; i < 5; ++i) answered.push_back(!bench.read300().empty());
    EXPECT_EQ(answered, (std::vector<bool>{true, false, false, true, true}));
    EXPECT_EQ(bench.line->transfers(kvsim::Domain::Sensor), 5);
}

TEST(LineFaults, RandomFaultsRepeatWithTheSameSeed) {
    auto pattern = [](std::uint32_t seed) {
        Bench bench({.seed = seed});
        bench.line->addFault("no-ack%50");
        std::vector<bool> answered;
        for (int i = 0; i < 24; ++i) answered.push_back(!bench.read300().empty());
        return answered;
    };
    const auto first = pattern(42);
    EXPECT_EQ(first, pattern(42));
    EXPECT_NE(std::count(first.begin(), first.end(), true), 0);
    EXPECT_NE(std::count(first.begin(), first.end(), false), 0);
}

TEST(LineFaults, FlipsABitOfAnEepromWrite) {
    Bench bench;
    bench.line->addFault("eeprom-bitflip@2");
    ask(bench.device, {0xFE}, 1);
    ask(bench.device, {0x90, 0x00, 0x90}, 1);
    ask(bench.device, {0xFE}, 1);
    ask(bench.device, {0x09, 0x10, 0x40, 0x59}, 1);  // 0x40 into EEPROM word 0x10 (byte 32)
    ask(bench.device, {0xFE}, 1);
    ask(bench.device, {0x09, 0x11, 0x40, 0x5A}, 1);
    EXPECT_EQ(bench.sensor->memory(kvsim::Space::EEPROM)[32], 0x41);
    EXPECT_EQ(bench.sensor->memory(kvsim::Space::EEPROM)[34], 0x40);
}

TEST(LineFaults, ModbusRepliesAreCorruptedConsistently) {
    const Bytes request{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A};
    Bench wrong({}, kvsim::Protocol::Modbus);
    wrong.line->addFault("wrong-ack");
    const auto reply = ask(wrong.device, request, 7);
    ASSERT_EQ(reply.size(), 7u);
    EXPECT_EQ(reply[1], 0x83);
    const auto crc = kvsim::crc16(std::span(reply.data(), 5));
    EXPECT_EQ(reply[5] | (reply[6] << 8), crc) << "only the function code is wrong";

    Bench bad({}, kvsim::Protocol::Modbus);
    bad.line->addFault("bad-checksum");
    const auto corrupt = ask(bad.device, request, 7);
    ASSERT_EQ(corrupt.size(), 7u);
    EXPECT_NE(corrupt[5] | (corrupt[6] << 8), kvsim::crc16(std::span(corrupt.data(), 5)));
}

TEST(FaultRules, ParseTheCommandLineForm) {
    const auto rule = kvsim::parseFaultRule("late-reply=200@2-4%50");
    EXPECT_EQ(rule.fault, kvsim::Fault::LateReply);
    EXPECT_EQ(rule.value, 200);
    EXPECT_EQ(rule.first, 2);
    EXPECT_EQ(rule.last, 4);
    EXPECT_DOUBLE_EQ(rule.probability, 0.5);
    const auto open = kvsim::parseFaultRule("silent-mux@3+");
    EXPECT_EQ(open.first, 3);
    EXPECT_GT(open.last, 1000000);
    for (const char* bad :
         {"", "bogus", "late-reply", "noise=x", "no-ctr=3", "no-ack@0", "no-ack@5-3", "no-ack%101",
          "no-ack@", "no-ack%", "noise=99999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(kvsim::parseFaultRule(bad), std::invalid_argument);
    }
}

}  // namespace
