#pragma once

#include <chrono>

namespace kvcom3 {

// Attempts per transfer while a scan runs: one more than a single garbled reply needs, few
// enough that an empty place costs a fraction of a second.
inline constexpr int kScanAttempts = 2;
// The longest a Modbus read waits for its reply while a scan runs: a sensor answers a short
// read within a few tens of milliseconds, and a silent place should not cost a whole second.
inline constexpr std::chrono::milliseconds kScanReplyWait{150};

// Asking many places whether a sensor is there (ports, addresses, production positions) should
// not cost each empty place the full retries of a transfer (KVBUS 50 attempts, Modbus 10 of a
// second each). While an object of this class lives, every transfer and production-network switch
// of the process gives up after `attempts` attempts (after its own count when that is smaller),
// with the error number its protocol gives then, and a Modbus read waits at most kScanReplyWait
// for its reply. Transfers outside its life keep the protocols' own counts and waits. The
// innermost of nested objects holds; like the rest of the library, for one thread. No errors.
class ScanAttempts {
  public:
    explicit ScanAttempts(int attempts = kScanAttempts);
    ~ScanAttempts();
    ScanAttempts(const ScanAttempts&) = delete;
    ScanAttempts& operator=(const ScanAttempts&) = delete;

  private:
    int previous_;
};

}  // namespace kvcom3
