#pragma once
// The backup protocol every changing operation follows, and the two styles of
// change built on it. A changed file is always saved under a backup name in its
// own folder first; on failure or cancel the original comes back under its name.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

// True when the path's extension is ".bak" (case ignored): such a file is never changed.
bool IsBackupPath(const std::string& path);

// The backup name of `path`: same folder, the name with trailing spaces
// trimmed, extension replaced by ".bak" (Keep) or "._bb" (any other mode).
std::string BackupPathFor(const std::string& path, BackupMode mode);

// Deletes any file with the backup name, then renames `path` to it.
// ErrFailed for a ".bak" file, when the backup name would be the file itself,
// or when the rename fails; Ok with `backupPath` set otherwise.
EngineResult MakeBackup(const std::string& path, BackupMode mode, std::string& backupPath);

// Sees each block of a copy before it is written: `offset` is the block's
// position in the file (a multiple of 32768), `data` its `length` bytes, which
// it may change.
using CopyFilter = std::function<void(std::uint64_t offset, std::uint8_t* data, std::size_t length)>;

// Copies a whole file through a 32768-byte buffer, each block passed through
// `filter` when one is given. False on any failure (the partial destination
// is removed).
bool CopyFileContents(const std::string& from, const std::string& to, const CopyFilter& filter = {});

// In-place style: unless the mode is NoneInPlace, back up and copy the backup
// back under the file's name; the caller then opens the file for update.
// Commit() deletes the backup unless the mode keeps it; Rollback() (or
// destruction without Commit) puts the original back byte for byte.
class InPlaceChange {
public:
    InPlaceChange() = default;
    InPlaceChange(const InPlaceChange&) = delete;
    InPlaceChange& operator=(const InPlaceChange&) = delete;
    ~InPlaceChange();

    // ErrBackup for a ".bak" file or a failed backup, ErrFailed when the copy fails.
    // `filter` sees every block copied back (so a change can be made in the
    // same pass); without a backup there is no copy and it is not called.
    EngineResult Begin(const std::string& path, BackupMode mode, const CopyFilter& filter = {});
    void Commit();
    // True when the original could be put back (always false without a backup).
    bool Rollback();
    bool HasBackup() const { return !backup_.empty(); }
    const std::string& BackupPath() const { return backup_; }

private:
    std::string path_;
    std::string backup_;
    BackupMode mode_ = BackupMode::Temporary;
    bool active_ = false;
};

// Rewrite style: always back up (NoneInPlace acts like Temporary), read from the
// backup and write a new file under the file's name. Commit() closes both and
// deletes the backup unless the mode keeps it; Rollback() (or destruction
// without Commit) closes both, deletes the partial output and renames the
// backup back.
class RewriteChange {
public:
    RewriteChange() = default;
    RewriteChange(const RewriteChange&) = delete;
    RewriteChange& operator=(const RewriteChange&) = delete;
    ~RewriteChange();

    // ErrBackup for a ".bak" file or a failed backup; ErrOpen when the backup
    // cannot be read or the new file cannot be created (the original is then
    // already back under its name).
    EngineResult Begin(const std::string& path, BackupMode mode);
    // Closes the output and checks that every write reached the disk; on
    // failure rolls back and returns ErrFailed.
    EngineResult Commit();
    void Rollback();

    std::FILE* In() const { return in_; }
    std::FILE* Out() const { return out_; }
    const std::string& BackupPath() const { return backup_; }

private:
    void CloseBoth();

    std::string path_;
    std::string backup_;
    BackupMode mode_ = BackupMode::Temporary;
    std::FILE* in_ = nullptr;
    std::FILE* out_ = nullptr;
    bool active_ = false;
};

} // namespace q64
