#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "kvcal3/ReadingDisplay.h"
#include "kvcal3/UserInteraction.h"

namespace kvcal3 {

// A user who follows a script, for tests and unattended runs: input boxes take the queued
// answers in order, reading displays take the queued choices after the queued number of
// readings (waiting ReadingRefresh on the library clock between them). With nothing queued the
// user cancels. Everything asked is recorded.
class ScriptedInteraction final : public UserInteraction {
  public:
    // One input box as the procedure showed it.
    struct Question {
        std::string Prompt;
        std::string Title;
        std::string Default;
    };

    // nullopt answers as the cancel choice of the box does.
    void QueueAnswer(std::optional<std::string> answer);
    // The user watches `readings` readings (0: chooses before the first arrives; less than 0
    // counts as 0), then chooses.
    void QueueReadingChoice(ReadingChoice choice, int readings = 1);

    // Record the question and give the next queued answer or choice; an error of readRawSignal
    // reaches the caller unchanged.
    std::optional<std::string> InputBox(const std::string& Prompt, const std::string& Title,
                                        const std::string& Default) override;
    ReadingChoice ShowReading(const std::string& Prompt,
                              const RawSignalReader& readRawSignal) override;

    // Every input box and every reading display prompt so far, in order.
    const std::vector<Question>& Questions() const { return questions_; }
    const std::vector<std::string>& ReadingPrompts() const { return readingPrompts_; }
    // The history of the last reading display.
    const ReadingHistory& History() const { return history_; }

  private:
    struct Choice {
        ReadingChoice choice;
        int readings;
    };
    std::deque<std::optional<std::string>> answers_;
    std::deque<Choice> choices_;
    std::vector<Question> questions_;
    std::vector<std::string> readingPrompts_;
    ReadingHistory history_;
};

}  // namespace kvcal3
