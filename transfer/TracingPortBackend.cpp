#include "transfer/TracingPortBackend.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace q64 {

namespace {

constexpr std::size_t kTraceLineLength = 10; // "W 037a 04\n"

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

std::string Resolved(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal().string() : resolved.string();
}

} // namespace

std::string TraceConflict(const std::string& tracePath, const std::vector<std::string>& keepAway) {
    struct stat trace {};
    const bool traceExists = ::stat(tracePath.c_str(), &trace) == 0;
    for (const std::string& other : keepAway) {
        struct stat info {};
        if (::stat(other.c_str(), &info) == 0) {
            if (traceExists && info.st_dev == trace.st_dev && info.st_ino == trace.st_ino) return "it is " + other + " itself";
        } else if (Resolved(other) == Resolved(tracePath)) {
            return "it is " + other + " itself";
        }
    }
    return {};
}

namespace {

// Opens the trace file as the constructor promises; -1 with `error` set when refused.
int OpenTrace(const std::string& path, const std::vector<std::string>& keepAway, std::string& error) {
    struct Kept {
        const std::string* path;
        bool exists;
        struct stat info;
    };
    std::vector<Kept> kept;
    for (const std::string& other : keepAway) {
        Kept k{&other, false, {}};
        k.exists = ::stat(other.c_str(), &k.info) == 0;
        kept.push_back(k);
    }
    // A file that does not exist yet (a receive target) is told by its resolved path.
    if (error = TraceConflict(path, keepAway); !error.empty()) return -1;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    for (const Kept& k : kept) {
        if (k.exists && k.info.st_dev == info.st_dev && k.info.st_ino == info.st_ino) {
            error = "it is " + *k.path + " itself";
            ::close(fd);
            return -1;
        }
    }
    if (S_ISREG(info.st_mode)) {
        if (info.st_size > 0) {
            char head[kTraceLineLength] = {};
            const ssize_t n = ::pread(fd, head, sizeof head, 0);
            if (n < 0 || !StartsWithTraceLine(std::string(head, static_cast<std::size_t>(n)))) {
                error = "it exists and is not a trace; it was left as it is";
                ::close(fd);
                return -1;
            }
        }
        if (::ftruncate(fd, 0) != 0) {
            error = std::strerror(errno);
            ::close(fd);
            return -1;
        }
    } else if (S_ISFIFO(info.st_mode)) {
        // Opened for reading and writing, a pipe would be its own reader: only
        // one that some other program reads is taken.
        ::close(fd);
        fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = errno == ENXIO ? "it is a pipe nobody reads" : std::strerror(errno);
            return -1;
        }
    } else if (!S_ISCHR(info.st_mode)) {
        error = "it is not a file";
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

bool StartsWithTraceLine(const std::string& head) {
    if (head.size() < kTraceLineLength) return false;
    return (head[0] == 'W' || head[0] == 'R') && head[1] == ' ' && IsLowerHex(head[2]) && IsLowerHex(head[3]) &&
           IsLowerHex(head[4]) && IsLowerHex(head[5]) && head[6] == ' ' && IsLowerHex(head[7]) &&
           IsLowerHex(head[8]) && head[9] == '\n';
}

std::string TraceLine(char kind, PortAddress address, std::uint8_t value) {
    char line[16];
    std::snprintf(line, sizeof line, "%c %04x %02x", kind, address, value);
    return line;
}

TracingPortBackend::TracingPortBackend(PortBackend& inner, const std::string& tracePath,
                                       const std::vector<std::string>& keepAway)
    : inner_(inner) {
    const int fd = OpenTrace(tracePath, keepAway, error_);
    if (fd < 0) return;
    file_ = ::fdopen(fd, "w");
    if (!file_) {
        error_ = std::strerror(errno);
        ::close(fd);
        return;
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

TracingPortBackend::~TracingPortBackend() {
    if (file_) std::fclose(file_);
}

void TracingPortBackend::Write(PortAddress address, std::uint8_t value) {
    inner_.Write(address, value);
    if (file_) std::fprintf(file_, "W %04x %02x\n", address, value);
}

std::uint8_t TracingPortBackend::Read(PortAddress address) {
    const std::uint8_t value = inner_.Read(address);
    if (file_) std::fprintf(file_, "R %04x %02x\n", address, value);
    return value;
}

} // namespace q64
