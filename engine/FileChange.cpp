#include "engine/FileChange.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/Backup.h"
#include "engine/OperationIo.h"
#include "engine/PathNames.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

FileChangeStepHook& StepHook() {
    static FileChangeStepHook hook;
    return hook;
}

void Step(FileChangeStep step) {
    if (StepHook()) StepHook()(step);
}

// The suffix of a temporary file: ".q64~" and six characters.
constexpr const char* kTempMarker = ".q64~";
constexpr std::size_t kTempSuffixLength = 5 + 6;
// The suffix the receives of an earlier version used: ".part-" and six characters.
constexpr const char* kOldPartMarker = ".part-";
constexpr int kTempNameAttempts = 64;

// The longest name the folder's file system takes.
std::size_t NameLimit(const std::string& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

// Resolves a symbolic link (chains included) to the path it names; the last
// link's target may not exist yet. Other paths come back unchanged.
std::string ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char text[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), text, sizeof text - 1);
        if (n <= 0) return current;
        const std::string target(text, static_cast<std::size_t>(n));
        current = target.front() == '/' ? target : JoinPath(FolderOf(current), target);
    }
    return current;
}

bool HasSuffixToken(const std::string& name, const char* marker, std::size_t tokenLength) {
    const std::size_t markerLength = std::strlen(marker);
    if (name.size() < 2 + markerLength + tokenLength || name[0] != '.') return false;
    const std::size_t at = name.size() - tokenLength - markerLength;
    if (name.compare(at, markerLength, marker) != 0) return false;
    return std::all_of(name.begin() + static_cast<long>(at + markerLength), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// True for the hidden temporary names this program makes (and made before).
bool IsProgramTemporaryName(const std::string& name) {
    return HasSuffixToken(name, kTempMarker, 6) || HasSuffixToken(name, kOldPartMarker, 6);
}

// Removes the temporaries a killed run left in `folder`: regular files of
// this user with a temporary name that no running change holds locked.
void RemoveLeftoverTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsProgramTemporaryName(name)) continue;
        const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlinkat(dirFd, name.c_str(), 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// 0666 less the process umask, read without changing it.
mode_t NewFileMode() {
    mode_t mask = 022;
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

std::int64_t ModificationNs(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool WriteFully(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
    while (count > 0) {
        const ssize_t n = ::pwrite(fd, bytes, count, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        bytes += n;
        count -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

std::string WriteFailureText(int error) {
    if (error == ENOSPC || error == EDQUOT) return std::string(messages::kWrite) + ": the disk is full";
    if (error == 0) return messages::kWrite;
    return std::string(messages::kWrite) + ": " + std::strerror(error);
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A 32768-byte buffered stream over a second descriptor of `fd` (the
// change keeps its own descriptor for positioned reads, syncing and locking).
std::FILE* BufferedStream(int fd, const char* how) {
    const int copy = ::dup(fd);
    if (copy < 0) return nullptr;
    std::FILE* stream = ::fdopen(copy, how);
    if (!stream) {
        ::close(copy);
        return nullptr;
    }
    std::setvbuf(stream, nullptr, _IOFBF, kWorkBufferSize);
    return stream;
}

// True when the permission bits let nobody write the file (even root is kept
// from changing a read-only file).
bool ReadOnlyBits(mode_t mode) { return (mode & 0222) == 0; }

} // namespace

void SetFileChangeStepHook(FileChangeStepHook hook) { StepHook() = std::move(hook); }

FileChange::~FileChange() { Rollback(); }

EngineResult FileChange::Fail(EngineResult result, std::string message) {
    Rollback();
    message_ = std::move(message);
    return result;
}

void FileChange::Close() {
    if (in_) std::fclose(in_);
    if (out_) std::fclose(out_);
    if (inFd_ >= 0) ::close(inFd_);
    if (outFd_ >= 0) ::close(outFd_);
    in_ = out_ = nullptr;
    inFd_ = outFd_ = -1;
}

void FileChange::Rollback() {
    Close();
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    kind_ = Kind::None;
}

EngineResult FileChange::Prepare(const std::string& path, BackupMode mode, Kind kind, const std::string& backupPath) {
    Rollback();
    message_.clear();
    backup_.clear();
    backupName_ = backupPath;
    newPath_.clear();
    mode_ = mode;
    kind_ = Kind::None;
    if (path.empty() || path.back() == '/') return Fail(EngineResult::ErrOpen, messages::kOpenForRead);
    target_ = ResolveLinks(path);
    const std::string folder = FolderOf(target_);
    RemoveLeftoverTemporaries(folder);

    struct stat info {};
    existed_ = ::stat(target_.c_str(), &info) == 0;
    if (kind == Kind::New) {
        if (existed_ && !S_ISREG(info.st_mode))
            return Fail(EngineResult::ErrOpen, path + (S_ISDIR(info.st_mode) ? " is a folder" : " is not a regular file"));
        if (NameOf(target_).size() > NameLimit(folder))
            return Fail(EngineResult::ErrOpen, "The name " + NameOf(target_) + " is too long for this file system");
        if (existed_ && (ReadOnlyBits(info.st_mode) || ::access(target_.c_str(), W_OK) != 0))
            return Fail(EngineResult::ErrOpen, path + " may not be written");
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
            return Fail(EngineResult::ErrOpen, "The folder " + folder + " takes no new files");
    } else {
        if (!existed_ || !S_ISREG(info.st_mode)) return Fail(EngineResult::ErrOpen, messages::kOpenForRead);
        if (IsBackupPath(target_)) return Fail(EngineResult::ErrBackup, "A backup file (.bak) is never changed");
        const std::string leftover = BackupPathFor(target_, BackupMode::Temporary);
        struct stat left {};
        if (leftover != target_ && ::lstat(leftover.c_str(), &left) == 0 && !S_ISDIR(left.st_mode))
            return Fail(EngineResult::ErrBackup,
                        leftover + " is left from a change that did not finish and may hold the only complete copy of " +
                            NameOf(target_) + ". Check it, then rename or delete it.");
        if (ReadOnlyBits(info.st_mode) || ::access(target_.c_str(), W_OK) != 0)
            return Fail(EngineResult::ErrOpen, messages::kOpenForWrite);
        if (kind != Kind::DirectInPlace && info.st_nlink > 1 && !OnlyOtherLinkIsTheBackup(info))
            return Fail(EngineResult::ErrFailed, NameOf(target_) + " has " + std::to_string(info.st_nlink) +
                                                     " hard links; replacing it would separate them. Nothing was changed.");
        inFd_ = ::open(target_.c_str(),
                       (kind == Kind::DirectInPlace ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        struct stat opened {};
        if (inFd_ < 0 || ::fstat(inFd_, &opened) != 0 || !S_ISREG(opened.st_mode))
            return Fail(EngineResult::ErrOpen,
                        kind == Kind::DirectInPlace ? messages::kOpenForWrite : messages::kOpenForRead);
        ::fcntl(inFd_, F_SETFL, ::fcntl(inFd_, F_GETFL) & ~O_NONBLOCK);
        info = opened;
    }
    device_ = existed_ ? info.st_dev : 0;
    inode_ = existed_ ? info.st_ino : 0;
    fileMode_ = existed_ ? (info.st_mode & 07777) : NewFileMode();
    owner_ = existed_ ? info.st_uid : ::geteuid();
    group_ = existed_ ? info.st_gid : ::getegid();
    size_ = existed_ ? static_cast<std::int64_t>(info.st_size) : 0;
    mtimeNs_ = existed_ ? ModificationNs(info) : 0;
    kind_ = kind;
    return EngineResult::Ok;
}

EngineResult FileChange::OpenTemporary() {
    const std::string folder = FolderOf(target_);
    std::string stem = NameOf(target_);
    const std::size_t limit = NameLimit(folder);
    if (stem.size() + 1 + kTempSuffixLength > limit) stem.resize(limit - 1 - kTempSuffixLength);
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::mt19937 random(device() ^ static_cast<unsigned>(::getpid()));
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        std::string token;
        for (int i = 0; i < 6; ++i) token += kAlphabet[random() % (sizeof kAlphabet - 1)];
        const std::string candidate = JoinPath(folder, "." + stem + kTempMarker + token);
        outFd_ = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (outFd_ >= 0) {
            temp_ = candidate;
            ::flock(outFd_, LOCK_EX); // marks it in use for RemoveLeftoverTemporaries
            Step(FileChangeStep::TemporaryCreated);
            return EngineResult::Ok;
        }
        if (errno != EEXIST) break;
    }
    // A folder that takes no new file refuses the change as it would refuse a
    // backup; any other failure is the new file that cannot be opened.
    const bool folderLocked = errno == EACCES || errno == EPERM || errno == EROFS;
    if (kind_ == Kind::New)
        return Fail(EngineResult::ErrOpen, folderLocked ? "The folder " + folder + " takes no new files"
                                                        : std::string(messages::kOpenForWrite));
    return folderLocked ? Fail(EngineResult::ErrBackup, messages::kBackup)
                        : Fail(EngineResult::ErrOpen, messages::kOpenForWrite);
}

EngineResult FileChange::BeginRewrite(const std::string& path, BackupMode mode, const std::string& backupPath) {
    EngineResult result = Prepare(path, mode, Kind::Rewrite, backupPath);
    if (result != EngineResult::Ok) return result;
    if ((result = OpenTemporary()) != EngineResult::Ok) return result;
    in_ = BufferedStream(inFd_, "rb");
    out_ = BufferedStream(outFd_, "wb");
    if (!in_ || !out_) return Fail(EngineResult::ErrOpen, messages::kOpenForWrite);
    return EngineResult::Ok;
}

EngineResult FileChange::BeginInPlace(const std::string& path, BackupMode mode, const BlockFilter& filter) {
    const Kind kind = mode == BackupMode::NoneInPlace ? Kind::DirectInPlace : Kind::InPlace;
    EngineResult result = Prepare(path, mode, kind);
    if (result != EngineResult::Ok) return result;
    if (kind == Kind::InPlace) {
        if ((result = OpenTemporary()) != EngineResult::Ok) return result;
        std::array<std::uint8_t, kWorkBufferSize> block;
        std::uint64_t offset = 0;
        for (;;) {
            // Whole blocks only, however the reads come back: the filter is
            // promised blocks at multiples of their size.
            std::size_t length = 0;
            while (length < block.size()) {
                const ssize_t n = ::pread(inFd_, block.data() + length, block.size() - length,
                                          static_cast<off_t>(offset + length));
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) return Fail(EngineResult::ErrFailed, messages::kRead);
                if (n == 0) break;
                length += static_cast<std::size_t>(n);
            }
            if (length == 0) break;
            if (filter) filter(offset, block.data(), length);
            if (!WriteFully(outFd_, block.data(), length, offset)) return Fail(EngineResult::ErrFailed, WriteFailureText(errno));
            offset += length;
            Step(FileChangeStep::ContentWritten);
            if (length < block.size()) break;
        }
        if (static_cast<std::int64_t>(offset) != size_) return Fail(EngineResult::ErrFailed, messages::kRead);
    }
    in_ = BufferedStream(inFd_, "rb");
    if (!in_) return Fail(EngineResult::ErrOpen, messages::kOpenForRead);
    return EngineResult::Ok;
}

EngineResult FileChange::BeginNew(const std::string& path, ExistingFile existing) {
    EngineResult result = Prepare(path, BackupMode::Temporary, Kind::New);
    if (result != EngineResult::Ok) return result;
    if (existed_ && existing == ExistingFile::Refuse) return Fail(EngineResult::ErrFailed, path + " already exists");
    if ((result = OpenTemporary()) != EngineResult::Ok) return result;
    out_ = BufferedStream(outFd_, "wb");
    if (!out_) return Fail(EngineResult::ErrOpen, messages::kOpenForWrite);
    return EngineResult::Ok;
}

std::string FileChange::KeptBackupPath() const {
    return backupName_.empty() ? KeptBackupPathFor(target_) : backupName_;
}

// A change killed just after making its kept backup leaves the file and
// NAME.bak as two links of one file: that second link is the backup, not a
// link of the user's to keep together.
bool FileChange::OnlyOtherLinkIsTheBackup(const struct stat& info) const {
    struct stat backup {};
    return info.st_nlink == 2 && ::lstat(KeptBackupPath().c_str(), &backup) == 0 && backup.st_dev == info.st_dev &&
           backup.st_ino == info.st_ino;
}

bool FileChange::StillSameFile() const {
    struct stat now {};
    if (::stat(target_.c_str(), &now) != 0) return !existed_ && kind_ == Kind::New;
    if (!existed_) return false; // something appeared under the name meanwhile
    return now.st_dev == device_ && now.st_ino == inode_ &&
           (kind_ == Kind::New || (static_cast<std::int64_t>(now.st_size) == size_ && ModificationNs(now) == mtimeNs_));
}

bool FileChange::DirectFileUnchanged() {
    struct stat now {};
    if (::fstat(inFd_, &now) == 0 && StillSameFile() && static_cast<std::int64_t>(now.st_size) == size_ &&
        ModificationNs(now) == mtimeNs_)
        return true;
    message_ = NameOf(target_) + " was changed by something else meanwhile; nothing was written";
    return false;
}

int FileChange::InPlaceDescriptor() {
    if (kind_ == Kind::InPlace) return outFd_;
    if (kind_ == Kind::DirectInPlace && DirectFileUnchanged()) return inFd_;
    if (kind_ != Kind::DirectInPlace) message_ = messages::kWrite;
    return -1;
}

bool FileChange::WriteAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) {
    if (kind_ == Kind::DirectInPlace) {
        if (!DirectFileUnchanged()) return false;
        if (!WriteFully(inFd_, bytes, count, offset)) {
            message_ = WriteFailureText(errno);
            return false;
        }
        struct stat after {};
        if (::fstat(inFd_, &after) == 0) {
            size_ = static_cast<std::int64_t>(after.st_size);
            mtimeNs_ = ModificationNs(after);
        }
        return true;
    }
    if (kind_ != Kind::InPlace || !WriteFully(outFd_, bytes, count, offset)) {
        message_ = WriteFailureText(kind_ == Kind::InPlace ? errno : 0);
        return false;
    }
    return true;
}

bool FileChange::MakeBackup() {
    backup_ = KeptBackupPath();
    const std::string folder = FolderOf(target_);
    std::string stem = NameOf(backup_);
    const std::size_t limit = NameLimit(folder);
    if (stem.size() + 1 + kTempSuffixLength > limit) stem.resize(limit - 1 - kTempSuffixLength);
    // The backup first gets a temporary name of its own, so an older NAME.bak
    // is replaced only by a complete new one. A second link to the old file
    // costs nothing: the change never writes into that file.
    std::string staged;
    std::random_device device;
    for (int attempt = 0; attempt < kTempNameAttempts && staged.empty(); ++attempt) {
        const std::string candidate = JoinPath(folder, "." + stem + kTempMarker + std::to_string(100000 + device() % 900000));
        if (::link(target_.c_str(), candidate.c_str()) == 0) {
            staged = candidate;
        } else if (errno != EEXIST) {
            // No hard links here (some file systems): copy the old content.
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                break;
            }
            ::flock(fd, LOCK_EX);
            std::array<std::uint8_t, kWorkBufferSize> block;
            std::uint64_t offset = 0;
            bool ok = true;
            for (;;) {
                const ssize_t n = ::pread(inFd_, block.data(), block.size(), static_cast<off_t>(offset));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) {
                    ok = n == 0;
                    break;
                }
                if (!WriteFully(fd, block.data(), static_cast<std::size_t>(n), offset)) {
                    ok = false;
                    break;
                }
                offset += static_cast<std::uint64_t>(n);
            }
            [[maybe_unused]] const bool ownerKept = ::fchown(fd, owner_, group_) == 0;
            ok = ok && ::fchmod(fd, fileMode_) == 0 && ::fsync(fd) == 0;
            ::close(fd);
            if (!ok) {
                ::unlink(candidate.c_str());
                break;
            }
            staged = candidate;
        }
    }
    if (staged.empty() || ::rename(staged.c_str(), backup_.c_str()) != 0) {
        if (!staged.empty()) ::unlink(staged.c_str());
        backup_.clear();
        return false;
    }
    // A backup that already was a link to this file leaves the rename nothing to do.
    ::unlink(staged.c_str());
    Step(FileChangeStep::BackupMade);
    return true;
}

EngineResult FileChange::Commit() {
    if (kind_ == Kind::None) return Fail(EngineResult::ErrFailed, messages::kWrite);
    if (kind_ == Kind::DirectInPlace) {
        const bool synced = ::fdatasync(inFd_) == 0 || errno == EINVAL;
        const int error = errno;
        Close();
        kind_ = Kind::None;
        if (!synced) return Fail(EngineResult::ErrFailed, WriteFailureText(error));
        return EngineResult::Ok;
    }
    if (out_ && (std::fflush(out_) != 0 || std::ferror(out_))) return Fail(EngineResult::ErrFailed, WriteFailureText(errno));
    // Owner first: changing it may clear the set-id bits that the mode then puts back.
    [[maybe_unused]] const bool ownerKept = ::fchown(outFd_, owner_, group_) == 0;
    if (::fchmod(outFd_, fileMode_) != 0) return Fail(EngineResult::ErrFailed, WriteFailureText(errno));
    if (::fsync(outFd_) != 0) return Fail(EngineResult::ErrFailed, WriteFailureText(errno));
    Step(FileChangeStep::TemporarySynced);
    if (!StillSameFile())
        return Fail(EngineResult::ErrFailed, NameOf(target_) + " was changed by something else meanwhile; nothing was written");
    if (kind_ != Kind::New && mode_ == BackupMode::Keep && !MakeBackup())
        return Fail(EngineResult::ErrBackup, messages::kBackup);
    if (!newPath_.empty() && kind_ == Kind::Rewrite) {
        if (RenameNoReplace(temp_, newPath_) != 0) {
            const int error = errno;
            return Fail(EngineResult::ErrFailed, error == EEXIST ? NameOf(newPath_) + " already exists; nothing was changed"
                                                                 : WriteFailureText(error));
        }
        // The new content is under its name: only now does the old name go.
        ::unlink(target_.c_str());
        target_ = newPath_;
    } else if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        return Fail(EngineResult::ErrFailed, WriteFailureText(error));
    }
    temp_.clear();
    Step(FileChangeStep::Replaced);
    Close();
    kind_ = Kind::None;
    SyncFolder(FolderOf(target_));
    Step(FileChangeStep::FolderSynced);
    return EngineResult::Ok;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    if (::link(from.c_str(), to.c_str()) != 0) return -1;
    if (::unlink(from.c_str()) != 0) {
        const int saved = errno;
        ::unlink(to.c_str());
        errno = saved;
        return -1;
    }
    return 0;
}

std::FILE* OpenForReading(const std::string& path, std::string& message) {
    message.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        message = messages::kOpenForRead;
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        message = path + " is not a regular file";
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        message = messages::kOpenForRead;
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IOFBF, kWorkBufferSize);
    return file;
}

namespace {

// Writes `count` bytes as the whole content of the change `begun` started and
// commits it; the change's message (or the write failure) in `message`.
EngineResult WriteAndCommit(FileChange& change, EngineResult begun, const void* bytes, std::size_t count,
                            std::string& message) {
    EngineResult result = begun;
    if (result == EngineResult::Ok) {
        if (count != 0 && std::fwrite(bytes, 1, count, change.Out()) != count) {
            message = WriteFailureText(errno);
            return EngineResult::ErrFailed;
        }
        result = change.Commit();
    }
    message = change.Message();
    return result;
}

} // namespace

EngineResult WriteWholeFile(const std::string& path, const std::string& bytes, ExistingFile existing,
                            std::string& message) {
    FileChange change;
    const EngineResult begun = change.BeginNew(path, existing);
    return WriteAndCommit(change, begun, bytes.data(), bytes.size(), message);
}

EngineResult WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, ExistingFile existing,
                            std::string& message) {
    FileChange change;
    const EngineResult begun = change.BeginNew(path, existing);
    return WriteAndCommit(change, begun, bytes.data(), bytes.size(), message);
}

EngineResult RewriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, BackupMode mode,
                              std::string& message, std::string* backup) {
    if (backup) backup->clear();
    FileChange change;
    const EngineResult begun = change.BeginRewrite(path, mode);
    const EngineResult result = WriteAndCommit(change, begun, bytes.data(), bytes.size(), message);
    if (backup && result == EngineResult::Ok) *backup = change.BackupPath();
    return result;
}

} // namespace q64
