#pragma once

#include <cstdint>
#include <filesystem>

namespace kvcom3 {

class clsAdressLevel;
class MemoryImage;

// The journal's part in one WriteToSensor: begin() before the first byte goes out, done() after
// the last block is verified.
class JournalWrite {
  public:
    // When the journal is on and the write goes to EEPROM: finds the bytes the write will change
    // (reading the sensor's values the image lacks, leaving the values to write as they are) and
    // appends their record to the sensor's journal, on disk before returning. Nothing to change,
    // or the journal off, gives a write with nothing to mark. The level's errors, 70 or 75 when
    // the journal cannot be written.
    static JournalWrite begin(clsAdressLevel& level, MemoryImage& image, std::int32_t start,
                              std::int32_t count, std::uint8_t memType, bool all, bool masked,
                              std::uint8_t platform);
    // Marks the write done, without waiting for the disk; 70 or 75 when the mark cannot be
    // written.
    void done();

  private:
    std::filesystem::path file_;
    std::int64_t id_ = 0;
};

}  // namespace kvcom3
