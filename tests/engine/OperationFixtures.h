#pragma once
// Helpers for the file operation tests: failure injection through process
// limits, a progress callback that records and cancels, and folder locking.

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64::test {

// While alive, writes that would make any file longer than `bytes` fail (EFBIG)
// instead of raising SIGXFSZ: a full disk for the code under test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

// While alive, only `more` further files can be opened: the next open after
// them fails (EMFILE). Lets a test refuse the creation of an output file.
class OpenFileLimit {
public:
    explicit OpenFileLimit(int more) {
        ::getrlimit(RLIMIT_NOFILE, &previous_);
        const int lowestFree = ::dup(0);
        if (lowestFree >= 0) ::close(lowestFree);
        rlimit limit = previous_;
        limit.rlim_cur = static_cast<rlim_t>(lowestFree + more);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    ~OpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &previous_); }
    OpenFileLimit(const OpenFileLimit&) = delete;
    OpenFileLimit& operator=(const OpenFileLimit&) = delete;

private:
    rlimit previous_{};
};

// While alive, nothing can be created, renamed or deleted in `folder`: its
// permissions are dropped and, when that is not enough (running as root), the
// folder is marked immutable. Locked() is false when neither works.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string folder) : folder_(std::move(folder)) {
        namespace fs = std::filesystem;
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
        if (!Writable()) {
            locked_ = true;
            return;
        }
        immutable_ = SetImmutable(true);
        locked_ = immutable_ && !Writable();
    }
    ~ReadOnlyFolder() {
        if (immutable_) SetImmutable(false);
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool Locked() const { return locked_; }

private:
    bool Writable() const {
        const std::string probe = folder_ + "/probe";
        std::FILE* f = std::fopen(probe.c_str(), "wb");
        if (!f) return false;
        std::fclose(f);
        std::remove(probe.c_str());
        return true;
    }
    bool SetImmutable(bool on) const {
        const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }

    std::string folder_;
    bool locked_ = false;
    bool immutable_ = false;
};

// Records every percentage it is given; answers "stop" once it sees `cancelAt`
// or more (never when cancelAt is negative).
struct ProgressLog {
    std::vector<int> seen;
    int cancelAt = -1;
    ProgressFn Fn() {
        return [this](int percent) {
            seen.push_back(percent);
            return cancelAt >= 0 && percent >= cancelAt ? kProgressCancelled : kProgressGoOn;
        };
    }
    // True when every value lies in 0..100 and each differs from (and exceeds) the one before.
    bool StrictlyRising() const {
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (seen[i] < 0 || seen[i] > 100) return false;
            if (i > 0 && seen[i] <= seen[i - 1]) return false;
        }
        return true;
    }
};

} // namespace q64::test
