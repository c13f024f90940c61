#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "kvcal3/ReadingDisplay.h"
#include "kvcal3/ScriptedInteraction.h"
#include "kvcal3/TerminalInteraction.h"
#include "kvcom3/KvError.h"
#include "kvcom3/ManualClock.h"

using namespace kvcal3;

TEST(ReadingHistory, KnownSeriesScaleAndLines) {
    ReadingHistory h;
    h.Add(100);
    EXPECT_TRUE(h.Lines(100, 60).empty()) << "one reading draws nothing";
    h.Add(200);
    // No earlier reading to scale on yet: the two present readings with the margin.
    EXPECT_EQ(h.Min(), 0.0f);
    EXPECT_EQ(h.Max(), 300.0f);
    auto lines = h.Lines(100, 60);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_DOUBLE_EQ(lines[0].x1, 80);
    EXPECT_DOUBLE_EQ(lines[0].y1, 40);
    EXPECT_DOUBLE_EQ(lines[0].x2, 90);
    EXPECT_DOUBLE_EQ(lines[0].y2, 20);

    h.Add(300);
    // From now on the scale spans the earlier readings only; the newest may leave the plot.
    EXPECT_EQ(h.Min(), 100.0f);
    EXPECT_EQ(h.Max(), 300.0f);
    lines = h.Lines(100, 60);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].x1, 70);
    EXPECT_DOUBLE_EQ(lines[0].y1, 60);
    EXPECT_DOUBLE_EQ(lines[0].y2, 30);
    EXPECT_DOUBLE_EQ(lines[1].x2, 90);
    EXPECT_DOUBLE_EQ(lines[1].y2, 0);
}

TEST(ReadingHistory, KeepsTheLastTenReadings) {
    ReadingHistory h;
    for (int i = 1; i <= 12; ++i) h.Add(static_cast<float>(1000 + 10 * i));
    EXPECT_EQ(h.Count(), 12);
    EXPECT_EQ(h.Readings().front(), 1030.0f);
    EXPECT_EQ(h.Readings().back(), 1120.0f);
    EXPECT_EQ(h.Min(), 930.0f) << "1030 - 100";
    EXPECT_EQ(h.Max(), 1210.0f) << "1110 + 100, the newest not counted";
    const auto lines = h.Lines(200, 100);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_DOUBLE_EQ(lines.front().x1, 0);
    EXPECT_DOUBLE_EQ(lines.back().x2, 180);
    h.Clear();
    EXPECT_EQ(h.Count(), 0);
    EXPECT_TRUE(h.Lines(200, 100).empty());
    EXPECT_EQ(h.Readings().back(), 0.0f);
}

TEST(ReadingHistory, RawSignalText) {
    EXPECT_EQ(rawSignalText(40960), "Raw signal: 40960");
    EXPECT_EQ(rawSignalText(0.5f), "Raw signal: 0.5");
}

namespace {

// A terminal whose keyboard is a pipe and whose screen is a string, on a virtual clock.
class Terminal : public ::testing::Test {
  protected:
    void SetUp() override {
        kvcom3::setClock(clock);
        ASSERT_EQ(::pipe(fds), 0);
        screen = open_memstream(&text, &size);
        terminal = std::make_unique<TerminalInteraction>(fds[0], screen);
    }
    void TearDown() override {
        terminal.reset();
        std::fclose(screen);
        std::free(text);
        ::close(fds[0]);
        if (fds[1] >= 0) ::close(fds[1]);
        kvcom3::setClock(nullptr);
    }
    void type(const std::string& keys) {
        ASSERT_EQ(::write(fds[1], keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    void endInput() {
        ::close(fds[1]);
        fds[1] = -1;
    }
    std::string shown() {
        std::fflush(screen);
        return std::string(text, size);
    }

    std::shared_ptr<kvcom3::ManualClock> clock = std::make_shared<kvcom3::ManualClock>();
    int fds[2] = {-1, -1};
    std::FILE* screen = nullptr;
    char* text = nullptr;
    std::size_t size = 0;
    std::unique_ptr<TerminalInteraction> terminal;
};

}  // namespace

TEST_F(Terminal, InputBoxAnswers) {
    type("23,5\r\n\n");
    EXPECT_EQ(terminal->InputBox("Please enter correct temperature", "", ""), "23,5");
    EXPECT_EQ(terminal->InputBox("Pressure", "", "1012"), "1012") << "Enter takes the default";
    EXPECT_NE(shown().find("Please enter correct temperature: "), std::string::npos);
    endInput();
    EXPECT_EQ(terminal->InputBox("Gas", "", ""), std::nullopt) << "end of input cancels";
}

TEST_F(Terminal, ReadingsUntilEnterOrC) {
    int reads = 0;
    auto reader = [&] {
        if (++reads == 3) type("\n");
        return 40000.0f + static_cast<float>(reads);
    };
    EXPECT_EQ(terminal->ShowReading("Expose the sensor to zero gas and", reader),
              ReadingChoice::Next);
    EXPECT_EQ(reads, 3);
    const std::string out = shown();
    EXPECT_NE(out.find("Expose the sensor to zero gas and\nwait until readings has stabilized,"),
              std::string::npos);
    EXPECT_NE(out.find("Raw signal: 40001\n"), std::string::npos);
    EXPECT_NE(out.find("Raw signal: 40003  (+1"), std::string::npos);

    reads = 0;
    type("c\n");
    EXPECT_EQ(terminal->ShowReading("p", reader), ReadingChoice::Cancel);
    endInput();
    EXPECT_EQ(terminal->ShowReading("p", reader), ReadingChoice::Cancel) << "end of input";
}

TEST_F(Terminal, AReaderErrorEndsTheDisplay) {
    auto failing = []() -> float { throw kvcom3::KvError(32755, "Cancel was selected"); };
    EXPECT_THROW(terminal->ShowReading("p", failing), kvcom3::KvError);
}

TEST(ScriptedUser, ReadsAtTheRefreshIntervalOnTheLibraryClock) {
    auto clock = std::make_shared<kvcom3::ManualClock>();
    kvcom3::setClock(clock);
    ScriptedInteraction user;
    user.QueueReadingChoice(ReadingChoice::Next, 4);
    std::vector<kvcom3::Clock::Duration> times;
    auto reader = [&] {
        times.push_back(clock->now());
        return static_cast<float>(times.size());
    };
    EXPECT_EQ(user.ShowReading("p", reader), ReadingChoice::Next);
    ASSERT_EQ(times.size(), 4u);
    EXPECT_EQ(times[3] - times[0], std::chrono::milliseconds(6000));
    EXPECT_EQ(user.History().Count(), 4);
    EXPECT_EQ(user.ShowReading("p", reader), ReadingChoice::Cancel) << "nothing queued";
    EXPECT_EQ(user.InputBox("q", "t", "d"), std::nullopt);
    kvcom3::setClock(nullptr);
}
