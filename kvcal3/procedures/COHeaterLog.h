#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace kvcal3 {

// Where heater calibration logs go: the directory named by KVCAL3_LOG_DIR, else the user's data
// directory ($XDG_DATA_HOME/kvcal3/log, else ~/.local/share/kvcal3/log). 75 when none can be
// told.
std::filesystem::path coHeaterLogDirectory();

// "COHeaterCal " + the day as year-month-day + ".txt".
std::string coHeaterLogName(const std::tm& day);

// The log of one heater calibration run: created empty with its header, then a line per
// reading, CR LF line ends. A file that cannot be created or written raises the platform's file
// error (70 or 75) naming the file.
class COHeaterLog {
  public:
    // Today's file in the log directory, which is created when missing.
    explicit COHeaterLog(const std::string& serialNr);
    COHeaterLog(const std::filesystem::path& file, const std::string& serialNr);

    // The element's count, the heater drive and the window, rounded, tab separated.
    void reading(std::int32_t signal, double heater, double upper, double lower);

    const std::filesystem::path& path() const { return path_; }

  private:
    void line(const std::string& text);
    [[noreturn]] void fail(const std::string& what, int error) const;

    std::filesystem::path path_;
    std::ofstream out_;
};

}  // namespace kvcal3
