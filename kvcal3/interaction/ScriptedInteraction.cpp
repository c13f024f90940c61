#include "kvcal3/ScriptedInteraction.h"

#include <utility>

#include "kvcom3/Clock.h"

namespace kvcal3 {

void ScriptedInteraction::QueueAnswer(std::optional<std::string> answer) {
    answers_.push_back(std::move(answer));
}

void ScriptedInteraction::QueueReadingChoice(ReadingChoice choice, int readings) {
    choices_.push_back({choice, readings < 0 ? 0 : readings});
}

std::optional<std::string> ScriptedInteraction::InputBox(const std::string& Prompt,
                                                         const std::string& Title,
                                                         const std::string& Default) {
    questions_.push_back({Prompt, Title, Default});
    if (answers_.empty()) return std::nullopt;
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

ReadingChoice ScriptedInteraction::ShowReading(const std::string& Prompt,
                                               const RawSignalReader& readRawSignal) {
    readingPrompts_.push_back(Prompt);
    history_.Clear();
    if (choices_.empty()) return ReadingChoice::Cancel;
    const Choice next = choices_.front();
    choices_.pop_front();
    for (int i = 0; i < next.readings; ++i) {
        if (i > 0) kvcom3::Sleep(ReadingRefresh);
        history_.Add(readRawSignal());
    }
    return next.choice;
}

}  // namespace kvcal3
