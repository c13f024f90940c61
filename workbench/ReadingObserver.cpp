#include "ReadingObserver.h"

ReadingObserver::ReadingObserver(std::shared_ptr<kvcal3::UserInteraction> look,
                                 std::function<void()> onShow, std::function<void(float)> onReading)
    : look_(std::move(look)), onShow_(std::move(onShow)), onReading_(std::move(onReading)) {}

std::optional<std::string> ReadingObserver::InputBox(const std::string& Prompt,
                                                     const std::string& Title,
                                                     const std::string& Default) {
    return look_->InputBox(Prompt, Title, Default);
}

kvcal3::ReadingChoice ReadingObserver::ShowReading(const std::string& Prompt,
                                                   const kvcal3::RawSignalReader& readRawSignal) {
    onShow_();
    return look_->ShowReading(Prompt, [&] {
        const float reading = readRawSignal();
        onReading_(reading);
        return reading;
    });
}
