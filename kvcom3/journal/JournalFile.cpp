// Durable appends to a journal file and reading it back.
#include "journal/JournalFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <system_error>

#include "kvcom3/KvError.h"

namespace kvcom3 {

namespace {

// Closes the descriptor, and with it the file lock.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// Within one process the next id of the file last appended to is known while the file keeps
// the size this process left it at; any other size means another writer, and a new scan.
struct IdCache {
    std::filesystem::path file;
    off_t size = -1;
    std::int64_t nextId = 1;
};
IdCache idCache;

void writeAll(int fd, const std::string& text, const std::filesystem::path& file) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) raiseJournalFileError(file, errno);
        done += static_cast<std::size_t>(n);
    }
}

std::string readAll(int fd, const std::filesystem::path& file) {
    std::string text;
    char buffer[65536];
    if (::lseek(fd, 0, SEEK_SET) < 0) raiseJournalFileError(file, errno);
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) raiseJournalFileError(file, errno);
        if (n == 0) return text;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

std::int64_t nextIdIn(const std::string& text) {
    std::int64_t last = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (auto parsed = parseJournalLine(line)) last = std::max(last, parsed->record.id);
    }
    return last + 1;
}

void syncDirectory(const std::filesystem::path& directory) {
    FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0 || ::fsync(fd.get()) != 0) raiseJournalFileError(directory, errno);
}

}  // namespace

void raiseJournalFileError(const std::filesystem::path& path, int error) {
    const bool refused = error == EACCES || error == EPERM || error == EROFS;
    raisePlatformError(refused ? platform_error::PermissionDenied : platform_error::PathFileAccess,
                       path.string() + " (" + std::strerror(error) + ")");
}

std::int64_t appendJournalLine(const std::filesystem::path& file, JournalLine& line, bool durable) {
    const std::filesystem::path directory = file.parent_path();
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) raiseJournalFileError(directory, error.value());

    FileDescriptor fd(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0) raiseJournalFileError(file, errno);
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) raiseJournalFileError(file, errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) raiseJournalFileError(file, errno);

    const bool fresh = status.st_size == 0;
    std::string text;
    if (fresh) {
        text = kJournalHeader;
        idCache = {file, 0, 1};
    } else if (idCache.file != file || idCache.size != status.st_size) {
        const std::string contents = readAll(fd.get(), file);
        idCache = {file, status.st_size, nextIdIn(contents)};
        // A torn last line is left as it is; the new line must not run on from it.
        if (!contents.empty() && contents.back() != '\n') text = "\n";
    }

    line.record.id = idCache.nextId;
    if (line.kind == JournalLine::Kind::Write && line.record.operation == 0)
        line.record.operation = line.record.id;
    text += formatJournalLine(line);
    writeAll(fd.get(), text, file);
    if (durable && ::fdatasync(fd.get()) != 0) raiseJournalFileError(file, errno);
    if (durable && fresh) syncDirectory(directory);

    idCache.size = status.st_size + static_cast<off_t>(text.size());
    ++idCache.nextId;
    return line.record.id;
}

JournalContents readJournal(const std::filesystem::path& file) {
    JournalContents contents;
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return contents;
        raiseJournalFileError(file, errno);
    }
    const std::string text = readAll(fd.get(), file);
    std::map<std::int64_t, std::size_t> byId;
    std::size_t start = 0;
    while (start < text.size()) {
        // A last line without its newline counts when its checksum holds: the cut came just
        // before the newline.
        const auto end = std::min(text.find('\n', start), text.size());
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (line.empty() || line.front() == '#') continue;
        auto parsed = parseJournalLine(line);
        if (!parsed) {
            ++contents.damaged;
            continue;
        }
        if (parsed->kind == JournalLine::Kind::Done) {
            auto it = byId.find(parsed->of);
            if (it != byId.end()) contents.records[it->second].done = true;
            continue;
        }
        byId[parsed->record.id] = contents.records.size();
        contents.records.push_back(std::move(parsed->record));
    }
    return contents;
}

}  // namespace kvcom3
