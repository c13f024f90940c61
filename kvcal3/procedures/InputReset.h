#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "kvcal3/kvCalProcInput.h"

namespace kvcal3 {

// Puts the given inputs back to "not set" when the procedure ends, also when it fails, so the
// next run asks for them again.
class InputReset {
  public:
    InputReset(std::initializer_list<std::shared_ptr<kvCalProcInput>> inputs) : inputs_(inputs) {}
    ~InputReset() {
        for (const auto& input : inputs_) input->Value = kvcom3::Variant(NotSetMarker);
    }
    InputReset(const InputReset&) = delete;
    InputReset& operator=(const InputReset&) = delete;

  private:
    std::vector<std::shared_ptr<kvCalProcInput>> inputs_;
};

}  // namespace kvcal3
