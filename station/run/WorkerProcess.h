#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace station {

// A worker started from this same program with its standard output on a pipe, which the
// station reads for events; standard error stays the station's own.
class WorkerProcess {
  public:
    explicit WorkerProcess(const std::vector<std::string>& arguments);
    ~WorkerProcess();
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;

    int output() const { return output_; }
    // Appends the complete lines that arrived to `lines`; false once the output has ended.
    bool read(std::vector<std::string>& lines);
    void signal(int number) const;
    // The exit status after the output ended; 128 + signal for a killed worker.
    int wait();

  private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string partial_;
    bool waited_ = false;
};

}  // namespace station
