#include "browser/ReplaceFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace q64 {

namespace {

// How many random temporary names are tried before giving up.
constexpr int kTempNameAttempts = 32;

std::string Reason(const std::string& path, int error) { return path + ": " + std::strerror(error); }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path a write lands on: a symbolic link is resolved to the file it names
// (which may not exist yet: then the link's own text names it).
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string resolved = real;
        std::free(real);
        return resolved;
    }
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0) return path;
    const std::string text(link, static_cast<std::size_t>(n));
    return text.front() == '/' ? text : FolderOf(path) + "/" + text;
}

// Creates a new hidden file beside `target`; -1 with errno set on failure.
int CreateTemporary(const std::string& target, std::string& tempPath) {
    std::random_device device;
    std::mt19937 random(device());
    const std::string stem = FolderOf(target) + "/." + NameOf(target) + ".";
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06x~", static_cast<unsigned>(random() & 0xFFFFFF));
        tempPath = stem + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteEverything(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

ReplaceFileResult ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error) {
    error.clear();
    if (path.empty() || path.back() == '/') {
        error = Reason(path, EISDIR);
        return ReplaceFileResult::ErrTarget;
    }
    const std::string target = ResolveTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        error = Reason(path, S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);
        return ReplaceFileResult::ErrTarget;
    }

    std::string temp;
    const int fd = CreateTemporary(target, temp);
    if (fd < 0) {
        error = Reason(path, errno);
        return ReplaceFileResult::ErrFolder;
    }
    int failure = 0;
    if (!WriteEverything(fd, bytes)) failure = errno;
    if (!failure && exists) {
        // Keep the owner where this process may (it may not: then the writer owns it).
        [[maybe_unused]] const bool ownerKept = ::fchown(fd, existing.st_uid, existing.st_gid) == 0;
        if (::fchmod(fd, existing.st_mode & 07777) != 0 && errno != EPERM) failure = errno;
    }
    if (!failure && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) failure = errno;
    if (::close(fd) != 0 && !failure) failure = errno;
    if (failure) {
        ::unlink(temp.c_str());
        error = Reason(path, failure);
        return ReplaceFileResult::ErrWrite;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temp.c_str());
        error = Reason(path, renameError);
        return ReplaceFileResult::ErrRename;
    }
    // Make the rename itself durable; a folder that cannot be synced is no failure.
    const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return ReplaceFileResult::Written;
}

} // namespace q64
