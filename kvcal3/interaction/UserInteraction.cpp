#include "kvcal3/UserInteraction.h"

#include <utility>

namespace kvcal3 {

namespace {

// Until a program installs its own, nobody is there to answer: everything ends as cancelled, so
// a procedure that needs the user stops with 32755 instead of waiting for ever.
class NoUser final : public UserInteraction {
  public:
    std::optional<std::string> InputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    ReadingChoice ShowReading(const std::string&, const RawSignalReader&) override {
        return ReadingChoice::Cancel;
    }
};

std::shared_ptr<UserInteraction>& installed() {
    static std::shared_ptr<UserInteraction> interaction = std::make_shared<NoUser>();
    return interaction;
}

}  // namespace

void setUserInteraction(std::shared_ptr<UserInteraction> interaction) {
    installed() = interaction ? std::move(interaction) : std::make_shared<NoUser>();
}

std::shared_ptr<UserInteraction> userInteraction() {
    return installed();
}

}  // namespace kvcal3
