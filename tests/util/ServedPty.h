#pragma once

#include <future>
#include <memory>
#include <string>

#include "host/PtyHost.h"
#include "wire/Line.h"

namespace kvtest {

// A bench line served on a pty by a thread of the test, from construction to destruction.
// Look at the sensors only after stop(): the serving thread works on them until then.
class ServedPty {
  public:
    explicit ServedPty(std::shared_ptr<kvsim::Line> line, std::string link = {});
    ~ServedPty();
    ServedPty(const ServedPty&) = delete;
    ServedPty& operator=(const ServedPty&) = delete;

    const std::string& path() const { return host_.path(); }
    kvsim::Line& line() { return *line_; }
    // Ends the service; true when it ended within the limit.
    bool stop(std::chrono::milliseconds limit = std::chrono::seconds(5));
    // True once service has ended by itself (the line was unplugged), within the limit.
    bool ended(std::chrono::milliseconds limit);

  private:
    std::shared_ptr<kvsim::Line> line_;
    kvsim::PtyHost host_;
    std::future<void> serving_;
};

}  // namespace kvtest
