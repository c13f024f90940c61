#include "util/ServedPty.h"

#include <utility>

namespace kvtest {

ServedPty::ServedPty(std::shared_ptr<kvsim::Line> line, std::string link)
    : line_(std::move(line)), host_(line_, std::move(link)) {
    serving_ = std::async(std::launch::async, [this] { host_.serve(); });
}

ServedPty::~ServedPty() {
    stop();
}

bool ServedPty::stop(std::chrono::milliseconds limit) {
    host_.stop();
    return ended(limit);
}

bool ServedPty::ended(std::chrono::milliseconds limit) {
    return serving_.wait_for(limit) == std::future_status::ready;
}

}  // namespace kvtest
