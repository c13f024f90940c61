#pragma once

#include <functional>
#include <memory>

#include "kvcal3/UserInteraction.h"

// The questions of a calibration as another interaction asks them, with every reading the
// reading display takes also handed to `onReading`, so that a window can show the signal too.
class ReadingObserver final : public kvcal3::UserInteraction {
  public:
    ReadingObserver(std::shared_ptr<kvcal3::UserInteraction> look, std::function<void()> onShow,
                    std::function<void(float)> onReading);

    std::optional<std::string> InputBox(const std::string& Prompt, const std::string& Title,
                                        const std::string& Default) override;
    kvcal3::ReadingChoice ShowReading(const std::string& Prompt,
                                      const kvcal3::RawSignalReader& readRawSignal) override;

  private:
    std::shared_ptr<kvcal3::UserInteraction> look_;
    std::function<void()> onShow_;
    std::function<void(float)> onReading_;
};
