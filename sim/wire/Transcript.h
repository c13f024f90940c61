#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "wire/Slave.h"

namespace kvsim {

enum class Direction : std::uint8_t { ToDevice, ToHost };

struct TranscriptEntry {
    Direction direction;
    Timestamp at;  // when the byte reached the other end of the line
    std::uint8_t byte;
};

// A run of bytes in one direction, as the other end saw it arrive.
struct TranscriptChunk {
    Direction direction;
    Timestamp at;
    std::vector<std::uint8_t> bytes;
};

// Every byte that crossed the line, in both directions. Safe to read while a host thread writes.
class Transcript {
  public:
    void record(Direction direction, Timestamp at, std::uint8_t byte);
    void clear();

    std::vector<TranscriptEntry> entries() const;
    // Consecutive bytes of one direction joined, in order of arrival.
    std::vector<TranscriptChunk> chunks() const;
    std::vector<std::uint8_t> bytes(Direction direction) const;
    // One line per chunk: seconds since the first byte, "->" or "<-", bytes in hex.
    std::string text() const;

  private:
    mutable std::mutex mutex_;
    std::vector<TranscriptEntry> entries_;
};

std::string hex(const std::vector<std::uint8_t>& bytes);

}  // namespace kvsim
