#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "wire/Line.h"

namespace kvsim {

// The bench on a pseudo-terminal, for programs that open a real serial device. The pty is raw
// from the start (no echo, no line editing), and the host keeps its own handle on the slave side
// so that the line does not hang up when the program under test closes its port. Time is the
// steady clock. Unplugging closes the pty: the program under test then gets errors.
class PtyHost {
  public:
    // Creates the pty and, with a non-empty `linkPath`, a symlink to it (replacing an old link).
    // Raises std::system_error when the pty or the link cannot be made.
    explicit PtyHost(std::shared_ptr<Line> line, std::string linkPath = {});
    ~PtyHost();
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    // The slave device, e.g. /dev/pts/3.
    const std::string& path() const { return path_; }
    // The symlink, or the device path when there is none.
    const std::string& name() const { return link_.empty() ? path_ : link_; }

    // Serves the line until stop() or until the line is unplugged. Blocks in poll().
    void serve();
    // Ends serve() from another thread or a signal handler (async-signal-safe).
    void stop();

  private:
    void serviceInput(std::vector<std::uint8_t>& outbox);
    void updateLineSettings();
    void closePty();
    void closeWake();

    std::shared_ptr<Line> line_;
    std::string path_;
    std::string link_;
    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
};

}  // namespace kvsim
