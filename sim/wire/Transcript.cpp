#include "wire/Transcript.h"

#include <algorithm>
#include <cstdio>

namespace kvsim {

void Transcript::record(Direction direction, Timestamp at, std::uint8_t byte) {
    std::lock_guard lock(mutex_);
    entries_.push_back({direction, at, byte});
}

void Transcript::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::vector<TranscriptEntry> Transcript::entries() const {
    std::vector<TranscriptEntry> copy;
    {
        std::lock_guard lock(mutex_);
        copy = entries_;
    }
    std::stable_sort(copy.begin(), copy.end(),
                     [](const auto& a, const auto& b) { return a.at < b.at; });
    return copy;
}

std::vector<TranscriptChunk> Transcript::chunks() const {
    std::vector<TranscriptChunk> result;
    for (const auto& entry : entries()) {
        if (result.empty() || result.back().direction != entry.direction) {
            result.push_back({entry.direction, entry.at, {}});
        }
        result.back().bytes.push_back(entry.byte);
    }
    return result;
}

std::vector<std::uint8_t> Transcript::bytes(Direction direction) const {
    std::vector<std::uint8_t> result;
    for (const auto& entry : entries()) {
        if (entry.direction == direction) result.push_back(entry.byte);
    }
    return result;
}

std::string Transcript::text() const {
    std::string out;
    const auto all = chunks();
    if (all.empty()) return out;
    const auto start = all.front().at;
    for (const auto& chunk : all) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%10.6f",
                      std::chrono::duration<double>(chunk.at - start).count());
        out += stamp;
        out += chunk.direction == Direction::ToDevice ? " -> " : " <- ";
        out += hex(chunk.bytes);
        out += '\n';
    }
    return out;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        if (i) out += ' ';
        out += digits;
    }
    return out;
}

}  // namespace kvsim
