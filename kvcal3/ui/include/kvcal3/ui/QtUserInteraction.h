#pragma once

#include <memory>

#include "kvcal3/UserInteraction.h"

class QWidget;

namespace kvcal3::ui {

class frmShowReading;

// The Qt look of what the calibration library asks: a QInputDialog for text and frmShowReading
// for the readings, one display created on first use and reused. Install it with
// kvcal3::setUserInteraction after the QApplication exists.
class QtUserInteraction final : public UserInteraction {
  public:
    explicit QtUserInteraction(QWidget* parent = nullptr);
    ~QtUserInteraction() override;

    std::optional<std::string> InputBox(const std::string& Prompt, const std::string& Title,
                                        const std::string& Default) override;
    ReadingChoice ShowReading(const std::string& Prompt,
                              const RawSignalReader& readRawSignal) override;

    // The display, created on first use.
    frmShowReading& Display();

  private:
    QWidget* parent_;
    std::unique_ptr<frmShowReading> display_;
};

}  // namespace kvcal3::ui
