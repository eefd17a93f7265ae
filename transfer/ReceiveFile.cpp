#include "transfer/ReceiveFile.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace q64 {

namespace {
// 0666 less the process umask, as a plain fopen would create the file.
mode_t DefaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}
} // namespace

bool ReceiveFile::Create() {
    Discard();
    const std::size_t slash = target_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : target_.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    if (name.empty()) return false;
    std::string pattern = folder + "/." + name + ".part-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    ::fchmod(fd, DefaultFileMode()); // mkstemp makes 0600; a received image is an ordinary file
    temp_ = pattern;
    return true;
}

bool ReceiveFile::Write(const void* bytes, std::size_t count) {
    return file_ && std::fwrite(bytes, 1, count, file_) == count;
}

bool ReceiveFile::Commit() {
    if (!file_) return false;
    const bool flushed = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed || std::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    temp_.clear();
    return true;
}

void ReceiveFile::Discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

} // namespace q64
