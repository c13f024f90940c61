#include "kvcom3/SensorBackup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>

#include "journal/JournalFile.h"
#include "journal/JournalFormat.h"
#include "kvcom3/KvError.h"

namespace kvcom3 {

namespace {

const char* const kHeader = "# kvsensor backup, format 1\n";
constexpr std::size_t kPerLine = 16;
void appendMemory(std::string& text, const char* name, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += kPerLine) {
        text += std::string(name) + " " + hex(static_cast<std::uint32_t>(at), 4);
        for (std::size_t i = at; i < std::min(at + kPerLine, bytes.size()); ++i)
            text += " " + hex(bytes[i], 2);
        text += '\n';
    }
}

template <class T>
bool parseNumber(std::string_view text, T& value, int base = 10) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc{} && end == text.data() + text.size();
}

class Parser {
  public:
    explicit Parser(const std::string& name) : name_(name) {}

    [[noreturn]] void fail(const std::string& why) const {
        raisePlatformError(platform_error::InvalidCall,
                           "backup " + name_ + " line " + std::to_string(line_) + ": " + why);
    }
    void next() { ++line_; }

    std::int64_t number(std::string_view text) const {
        std::int64_t value = 0;
        if (!parseNumber(text, value) || value < 0)
            fail("'" + std::string(text) + "' is no number");
        return value;
    }

    // One line of memory: its address must follow on from the bytes before it.
    void memory(std::string_view rest, std::vector<std::uint8_t>& bytes, std::size_t size) const {
        std::uint32_t address = 0;
        if (rest.size() < 4 || !parseNumber(rest.substr(0, 4), address, 16) ||
            address != bytes.size())
            fail("address out of order");
        rest.remove_prefix(4);
        while (!rest.empty()) {
            unsigned value = 0;
            if (rest.size() < 3 || rest[0] != ' ' || !parseNumber(rest.substr(1, 2), value, 16))
                fail("a byte is not two hexadecimal digits");
            bytes.push_back(static_cast<std::uint8_t>(value));
            rest.remove_prefix(3);
        }
        if (bytes.size() > size) fail("more bytes than the size");
    }

  private:
    const std::string& name_;
    std::size_t line_ = 0;
};

}  // namespace

std::string formatSensorBackup(const SensorBackup& backup) {
    std::string text = kHeader;
    text += "time " + backup.time + "\nprogram " + backup.program + "\n";
    text += "platform " + std::to_string(backup.sensor.platform) + "\n";
    text += "part " + std::to_string(backup.sensor.part) + "\n";
    text += "serial " + std::to_string(backup.sensor.serial) + "\n";
    text += "eeprom-size " + std::to_string(backup.eeprom.size()) + "\n";
    text += "ram-size " + std::to_string(backup.ram.size()) + "\n";
    appendMemory(text, "eeprom", backup.eeprom);
    appendMemory(text, "ram", backup.ram);
    return text + "crc32 " + hex(crc32(text), 8) + "\n";
}

SensorBackup parseSensorBackup(std::string_view text, const std::string& name) {
    Parser parser(name);
    parser.next();
    if (!text.starts_with(kHeader)) parser.fail("not a kvsensor backup of format 1");
    SensorBackup backup;
    std::int64_t eepromSize = -1;
    std::int64_t ramSize = -1;
    std::size_t start = std::string_view(kHeader).size();
    while (true) {
        parser.next();
        if (start >= text.size()) parser.fail("the file ends before its checksum");
        const auto end = text.find('\n', start);
        if (end == std::string_view::npos) parser.fail("the file ends in the middle of a line");
        const std::string_view line = text.substr(start, end - start);
        const auto blank = line.find(' ');
        const std::string_view key = line.substr(0, blank);
        const std::string_view rest =
            blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
        if (key == "crc32") {
            std::uint32_t crc = 0;
            if (!parseNumber(rest, crc, 16) || rest.size() != 8 ||
                crc != crc32(text.substr(0, start)))
                parser.fail("the checksum does not match: the file was changed or damaged");
            if (end + 1 != text.size()) parser.fail("text after the checksum");
            break;
        }
        if (key == "time")
            backup.time = rest;
        else if (key == "program")
            backup.program = rest;
        else if (key == "platform")
            backup.sensor.platform = static_cast<int>(parser.number(rest));
        else if (key == "part")
            backup.sensor.part = static_cast<int>(parser.number(rest));
        else if (key == "serial")
            backup.sensor.serial = parser.number(rest);
        else if (key == "eeprom-size")
            eepromSize = parser.number(rest);
        else if (key == "ram-size")
            ramSize = parser.number(rest);
        else if (key == "eeprom" || key == "ram") {
            if (eepromSize < 0 || ramSize < 0 || eepromSize > 65536 || ramSize > 65536)
                parser.fail("memory before its size");
            const bool eeprom = key == "eeprom";
            parser.memory(rest, eeprom ? backup.eeprom : backup.ram,
                          static_cast<std::size_t>(eeprom ? eepromSize : ramSize));
        } else if (!key.starts_with("#")) {
            parser.fail("unknown line '" + std::string(key) + "'");
        }
        start = end + 1;
    }
    if (backup.eeprom.size() != static_cast<std::size_t>(eepromSize) ||
        backup.ram.size() != static_cast<std::size_t>(ramSize))
        parser.fail("fewer bytes than the sizes say");
    backup.sensor.eepromSize = static_cast<std::int32_t>(eepromSize);
    return backup;
}

void writeSensorBackup(const std::filesystem::path& file, const SensorBackup& backup) {
    const std::string text = formatSensorBackup(backup);
    const std::filesystem::path temporary = file.string() + ".part";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) raiseJournalFileError(temporary, errno);
    std::size_t done = 0;
    int error = 0;
    while (done < text.size() && error == 0) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EINTR) error = errno;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    ::close(fd);
    if (error == 0 && ::rename(temporary.c_str(), file.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        raiseJournalFileError(file, error);
    }
}

SensorBackup readSensorBackup(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const int error = errno;
        if (error == ENOENT) raisePlatformError(platform_error::FileNotFound, file.string());
        raiseJournalFileError(file, error);
    }
    std::stringstream text;
    text << in.rdbuf();
    return parseSensorBackup(text.str(), file.string());
}

}  // namespace kvcom3
