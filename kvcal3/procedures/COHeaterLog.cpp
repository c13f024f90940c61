#include "procedures/COHeaterLog.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

namespace kvcal3 {

namespace {

constexpr const char* kRule = "----------------------";

std::filesystem::path todaysFile() {
    const std::filesystem::path dir = coHeaterLogDirectory();
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        kvcom3::raisePlatformError(
            error == std::errc::permission_denied ? kvcom3::platform_error::PermissionDenied
                                                  : kvcom3::platform_error::PathFileAccess,
            "heater calibration log directory " + dir.string() + " (" + error.message() + ")");
    }
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm day{};
    localtime_r(&now, &day);
    return dir / coHeaterLogName(day);
}

std::string rounded(double value) {
    return kvcom3::doubleToText(static_cast<double>(kvcom3::toLong(value)));
}

}  // namespace

std::filesystem::path coHeaterLogDirectory() {
    if (const char* configured = std::getenv("KVCAL3_LOG_DIR"); configured && *configured)
        return configured;
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::filesystem::path(data) / "kvcal3" / "log";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "share" / "kvcal3" / "log";
    kvcom3::raisePlatformError(kvcom3::platform_error::PathFileAccess,
                               "no directory for the heater calibration log: set KVCAL3_LOG_DIR");
}

std::string coHeaterLogName(const std::tm& day) {
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &day);
    return std::string("COHeaterCal ") + date + ".txt";
}

COHeaterLog::COHeaterLog(const std::string& serialNr) : COHeaterLog(todaysFile(), serialNr) {}

COHeaterLog::COHeaterLog(const std::filesystem::path& file, const std::string& serialNr)
    : path_(file) {
    errno = 0;
    out_.open(path_, std::ios::binary | std::ios::trunc);
    if (!out_) fail("cannot be created", errno);
    line("");
    line(kRule);
    line(serialNr);
    line(kRule);
}

void COHeaterLog::reading(std::int32_t signal, double heater, double upper, double lower) {
    line(std::to_string(signal) + '\t' + rounded(heater) + '\t' + rounded(upper) + '\t' +
         rounded(lower));
}

void COHeaterLog::line(const std::string& text) {
    errno = 0;
    out_ << text << "\r\n";
    out_.flush();
    if (!out_) fail("cannot be written", errno);
}

void COHeaterLog::fail(const std::string& what, int error) const {
    std::string detail = "heater calibration log " + path_.string() + " " + what;
    if (error != 0) detail += " (" + std::string(std::strerror(error)) + ")";
    kvcom3::raisePlatformError(error == EACCES || error == EPERM || error == EROFS
                                   ? kvcom3::platform_error::PermissionDenied
                                   : kvcom3::platform_error::PathFileAccess,
                               detail);
}

}  // namespace kvcal3
