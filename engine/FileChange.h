#pragma once
// The one way the program changes, creates and replaces files.
//
// The user's file is never renamed away, truncated or rewritten before its
// complete new content exists: new content goes to a hidden temporary file in
// the same folder (created exclusively, never through a link, locked while in
// use), is flushed to disk, takes the old file's permission bits, owner and
// group, and is renamed over the file in one step; then the folder is flushed.
// A kill at any moment leaves under the name either the whole old content or
// the whole new content. The only exception is BackupMode::NoneInPlace for an
// in-place change, which writes into the file itself, one write per region.
//
// Backups: Keep leaves NAME.bak (or FULLNAME.bak when another file of the
// folder shares the stem, see KeptBackupPathFor) holding the content before
// the change; an older backup is replaced only by a complete new one, at commit. Temporary
// and NoneInPlace leave no backup (none is needed: the old content stays under
// the name until the new content is complete).
//
// A symbolic link is followed: the file it names is changed and the link stays
// a link. A file with several hard links is refused (replacing it would split
// the links); NoneInPlace in-place writes keep them. A file whose permission
// bits allow no writing is refused in every mode, even for root.
//
// A leftover NAME._bb (from an older version of the program, or a crash) may
// hold the only complete copy of the file: every change of NAME refuses while
// it exists, with a message that names it.
//
// Leftover temporaries of a killed run in the same folder (hidden files this
// program names ".NAME.q64~XXXXXX" or ".NAME.part-XXXXXX", owned by this user,
// not locked by a running change) are removed when the next change begins.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/types.h>

#include "engine/EngineTypes.h"

namespace q64 {

// Where a change stands; a test hook sees each point as it is passed.
enum class FileChangeStep : int {
    TemporaryCreated = 1, // the hidden temporary file exists (empty)
    ContentWritten = 2,   // in-place: the copy is made; passed again per block copied
    TemporarySynced = 3,  // the new content is complete and on disk
    BackupMade = 4,       // Keep: NAME.bak holds the old content
    Replaced = 5,         // the new content is under the name
    FolderSynced = 6,     // the rename is on disk
};
using FileChangeStepHook = std::function<void(FileChangeStep)>;
// Installs a hook called at every step of every change (tests only; none by default).
void SetFileChangeStepHook(FileChangeStepHook hook);

// What a new file may do to an existing one of the same name.
enum class ExistingFile {
    Replace, // replace it (its permissions and owner are kept)
    Refuse,  // leave it alone (see BeginNew)
};

// Sees each block copied into the temporary file of an in-place change before
// it is written: `offset` is the block's position, `data` its `length` bytes,
// which it may change. Blocks are kWorkBufferSize bytes at multiples of that
// size, in order; only the last one may be shorter.
using BlockFilter = std::function<void(std::uint64_t offset, std::uint8_t* data, std::size_t length)>;

class FileChange {
public:
    FileChange() = default;
    FileChange(const FileChange&) = delete;
    FileChange& operator=(const FileChange&) = delete;
    ~FileChange(); // rolls back when not committed

    // Rewrite: In() reads the file as it is, Out() writes its whole new
    // content (NoneInPlace acts like Temporary).
    // ErrOpen: missing, not a regular file, unreadable, not writable, or the
    // folder takes no new file ("Unable to Open File for Read" /
    // "Unable to Open File for Write"); ErrBackup: a ".bak" file or a leftover
    // NAME._bb; ErrFailed: several hard links. Message() says what failed.
    // `backupPath` names the backup Keep makes when the usual one will not do.
    EngineResult BeginRewrite(const std::string& path, BackupMode mode, const std::string& backupPath = {});

    // In place: the temporary file starts as a copy of the file (each block
    // passed through `filter` when given); change it with WriteAt(). With
    // NoneInPlace there is no copy: WriteAt() writes into the file itself and
    // first checks that the file is still the one opened (same inode, size
    // and modification time). In() reads the file as it was.
    EngineResult BeginInPlace(const std::string& path, BackupMode mode, const BlockFilter& filter = {});

    // A whole new file at `path` (receives, reports, samples, state files):
    // Out() writes its content. No backup. Checked before anything else
    // happens: a folder or other non-regular file under the name, an existing
    // file that may not be written, a folder that takes no new file, a name
    // longer than the file system allows — ErrOpen with a message; an existing
    // file with ExistingFile::Refuse — ErrFailed, message "PATH already exists".
    // A replaced file keeps its permissions and owner; a new one gets 0666
    // less the umask.
    EngineResult BeginNew(const std::string& path, ExistingFile existing);

    std::FILE* In() const { return in_; }   // rewrite / in place (32768-byte buffered)
    std::FILE* Out() const { return out_; } // rewrite / new (32768-byte buffered)

    // In place: writes `count` bytes at `offset` in one write. False on failure
    // (Message() says why; the change should be rolled back).
    bool WriteAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count);
    // In place: the descriptor the new content is read and written through
    // with positioned calls (the temporary copy; with NoneInPlace the file
    // itself, after checking it is still the file opened). -1 with Message()
    // set when that check fails.
    int InPlaceDescriptor();

    // Rewrite only: Commit puts the new content under `newPath` (same
    // folder) instead of the old name, which then goes away: the new name is
    // taken only while free (ErrFailed, "NAME already exists", otherwise),
    // and the old name is removed only after the new content is under the
    // new one, so a kill leaves the old content, the new content, or both.
    void RenameOnCommit(const std::string& newPath) { newPath_ = newPath; }

    // Completes the change: flush, keep mode and owner, make the backup
    // (Keep), rename over the name, flush the folder. ErrFailed with a message
    // on failure ("Error Writing File", naming a full disk); the file is then
    // as it was.
    EngineResult Commit();
    // Drops the temporary file; the file is as it was. No effect after Commit.
    void Rollback();

    // The path written (a symbolic link resolved to the file it names; after
    // a commit with RenameOnCommit, the new path).
    const std::string& Target() const { return target_; }
    // The backup made by Commit (Keep only), else empty.
    const std::string& BackupPath() const { return backup_; }
    // Why the last call failed, in the program's words (for the message sink).
    const std::string& Message() const { return message_; }

private:
    enum class Kind { None, Rewrite, InPlace, DirectInPlace, New };
    EngineResult Prepare(const std::string& path, BackupMode mode, Kind kind, const std::string& backupPath = {});
    std::string KeptBackupPath() const;
    bool OnlyOtherLinkIsTheBackup(const struct stat& info) const;
    EngineResult OpenTemporary();
    EngineResult Fail(EngineResult result, std::string message);
    bool StillSameFile() const;
    bool DirectFileUnchanged();
    bool MakeBackup();
    void Close();

    Kind kind_ = Kind::None;
    BackupMode mode_ = BackupMode::Temporary;
    std::string target_;
    std::string temp_;
    std::string backup_;
    std::string backupName_;
    std::string newPath_;
    std::string message_;
    int inFd_ = -1;
    int outFd_ = -1;
    std::FILE* in_ = nullptr;
    std::FILE* out_ = nullptr;
    bool existed_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    mode_t fileMode_ = 0;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    std::int64_t size_ = 0;
    std::int64_t mtimeNs_ = 0;
};

// Opens a file the user named for reading without ever blocking: anything but
// a regular file (a folder, a named pipe, a device) is refused. Null with
// `message` set ("Unable to Open File for Read", or "PATH is not a regular
// file") on failure. The stream is 32768-byte buffered.
std::FILE* OpenForReading(const std::string& path, std::string& message);
inline std::FILE* OpenForReading(const std::string& path) {
    std::string ignored;
    return OpenForReading(path, ignored);
}

// Renames `from` to `to` without ever replacing a file under `to`
// (RENAME_NOREPLACE, or a hard link and an unlink where the file system
// lacks it). 0, or -1 with errno set (EEXIST: `to` is taken).
int RenameNoReplace(const std::string& from, const std::string& to);

// Writes `bytes` as the whole content of `path` through a FileChange (BeginNew).
EngineResult WriteWholeFile(const std::string& path, const std::string& bytes, ExistingFile existing,
                            std::string& message);
EngineResult WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, ExistingFile existing,
                            std::string& message);
// Replaces the whole content of the existing file `path` with `bytes` through a
// FileChange (BeginRewrite in `mode`): the file is either as it was or wholly new.
// `backup`, when given, receives the backup kept (BackupPath(); empty for none).
EngineResult RewriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, BackupMode mode,
                              std::string& message, std::string* backup = nullptr);

} // namespace q64
