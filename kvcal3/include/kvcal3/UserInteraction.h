#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kvcal3 {

// How the user left the reading display.
enum class ReadingChoice { Next, Cancel };

// Reads the raw CO2 signal from the sensor anew; raises the sensor's error when it cannot.
using RawSignalReader = std::function<float()>;

// What the library asks of a user. The program installs the look it has (a Qt dialog, a terminal,
// a script in tests); the library itself shows nothing.
class UserInteraction {
  public:
    virtual ~UserInteraction() = default;

    // A modal text input box with an OK and a cancel choice. Returns the text, or nothing when
    // the user cancelled; the procedures treat an empty text as a cancel too.
    virtual std::optional<std::string> InputBox(const std::string& Prompt, const std::string& Title,
                                                const std::string& Default) = 0;

    // The modal reading display: the prompt line above the fixed instructions, a first reading
    // at once and then one every ReadingRefresh, each into a ReadingHistory that is drawn, until
    // the user chooses Next or Cancel. An error of readRawSignal ends the display and reaches the
    // caller.
    virtual ReadingChoice ShowReading(const std::string& Prompt,
                                      const RawSignalReader& readRawSignal) = 0;
};

// Installs the interaction for the whole library (every procedure of every ISensCalibration).
// nullptr installs the default, which has no user: every input box and every reading display
// ends as cancelled.
void setUserInteraction(std::shared_ptr<UserInteraction> interaction);
// The installed interaction (never null), kept alive by the caller while it asks.
std::shared_ptr<UserInteraction> userInteraction();

}  // namespace kvcal3
