#pragma once
// Helpers for the file operation tests: failure injection through process
// limits, a progress callback that records and cancels, and folder locking.

#include <csignal>
#include <cstdio>
#include <fcntl.h>
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

// Makes a folder read-only; false when the process can still write into it
// (running as root), so the caller can skip.
inline bool MakeFolderReadOnly(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    const std::string probe = folder + "/probe";
    if (std::FILE* f = std::fopen(probe.c_str(), "wb")) {
        std::fclose(f);
        std::remove(probe.c_str());
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
        return false;
    }
    return true;
}

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
