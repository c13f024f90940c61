#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "kvcal3/UserInteraction.h"

namespace kvcal3 {

// The user at a terminal (kvtool): an input box is a prompt answered by a line, an empty line
// taking the default and end of input cancelling; the reading display is one line per reading
// with the raw signal and its trend, Enter continues, "c" cancels. Ctrl-C in kvtool cancels the
// next sensor read, which ends the display with 32755 as well.
class TerminalInteraction final : public UserInteraction {
  public:
    // Answers come from the file descriptor inputFd, questions and readings go to output (stdout
    // when null). Neither is closed.
    explicit TerminalInteraction(int inputFd = 0, std::FILE* output = stdout);

    // As the class describes; an error of readRawSignal reaches the caller unchanged.
    std::optional<std::string> InputBox(const std::string& Prompt, const std::string& Title,
                                        const std::string& Default) override;
    ReadingChoice ShowReading(const std::string& Prompt,
                              const RawSignalReader& readRawSignal) override;

  private:
    // One line of input without its end; nothing at end of input.
    std::optional<std::string> readLine();

    int in_;
    std::FILE* out_;
};

}  // namespace kvcal3
