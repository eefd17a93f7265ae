#pragma once
// "Verify Images": each image hashed in canonical order (through a cache of
// earlier hashes) and compared with the DAT file's list; "Rename to DAT
// Names". Shared by the window and `q64 verify`.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/DatFile.h"
#include "engine/ImageHash.h"

namespace q64 {

// What identifies an unchanged file: the cache key besides its path.
struct FileStamp {
    std::string path; // absolute
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
};
// The stamp of a regular file; empty when it cannot be read by stat or is not regular.
std::optional<FileStamp> StampOf(const std::string& path);

// What the cache remembers per file: its hashes, or that it is no image.
struct CachedHash {
    bool isImage = false;
    ImageHashes hashes;
};

// Hashes of earlier verifications, keyed by path, size, modification time and
// inode. Implementations never fail loudly: a cache that cannot be used finds
// nothing and stores nothing.
class HashCache {
public:
    virtual ~HashCache() = default;
    virtual std::optional<CachedHash> Find(const FileStamp& stamp) = 0;
    virtual void Store(const FileStamp& stamp, const CachedHash& entry) = 0;
    // Brackets many stores (a verification run) so they reach the disk together.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
};

enum class VerifyOutcome : int {
    Good = 0,
    Bad = 1,
    Unknown = 2,
    NotImage = 3,   // not an image: listed only when named on its own
    Unreadable = 4, // could not be read or is damaged
};

// Per file: what the results list and `q64 verify` show.
struct VerifyRow {
    std::string path;
    VerifyOutcome outcome = VerifyOutcome::Unknown;
    std::string game;    // the DAT's game name (Good, Bad)
    std::string romName; // the DAT's rom name (Good, Bad)
    ImageHashes hashes;
    bool fromCache = false;
    std::string message; // why NotImage / Unreadable
    // Good, but its header checksum pair is not the computed one: it is as
    // released and must not be fixed.
    bool ChecksumInvalidButGood() const {
        return outcome == VerifyOutcome::Good && hashes.hasChecksum && !hashes.checksumValid;
    }
};

// "good", "bad", "unknown", "not an image", "unreadable".
const char* OutcomeText(VerifyOutcome outcome);

// The files a list of FILE|DIR arguments names: a folder's regular files (not
// its subfolders, hidden files and ".bak" backups left out), sorted by name;
// a file as named. Missing names are kept (they verify as unreadable).
struct VerifyTarget {
    std::string path;
    bool fromFolder = false; // found in a folder named on the command line
};
std::vector<VerifyTarget> ExpandVerifyPaths(const std::vector<std::string>& names);

// Progress of a whole run: file k (1-based) of n, its name, and the share of
// that file done (0..100). Returns kProgressGoOn to go on.
using VerifyProgressFn = std::function<int(std::size_t k, std::size_t n, const std::string& path, int percent)>;

// Verifies one file: from the cache when its stamp is known there (no image
// byte is read), otherwise hashed and stored. ErrCancelled in `cancelled`
// when the progress asked to stop (the row is then incomplete).
VerifyRow VerifyFile(const std::string& path, const DatIndex& index, HashCache* cache, const ProgressFn& progress,
                     bool& cancelled);

// Verifies every file in order. Files named one by one that are not images
// are listed as such; those found in a folder are left out. Stops after the
// current file when the progress asks; the rows done so far are returned.
std::vector<VerifyRow> VerifyFiles(const std::vector<std::string>& names, const DatIndex& index, HashCache* cache,
                                   const VerifyProgressFn& progress);

// The name "Rename to DAT Names" gives a verified file: the DAT's game name
// ('/' and NUL replaced by '_') plus the extension of the file's own order
// (".z64", ".v64", ".n64"), in the file's folder. Empty for a row that is not Good.
std::string DatTargetName(const VerifyRow& row);

enum class RenameOutcome : int {
    Renamed = 0,
    AlreadyNamed = 1, // the file already has that name
    Exists = 2,       // another file has that name: left alone
    Skipped = 3,      // not Good
    Failed = 4,
};

struct RenameRow {
    std::string from;
    std::string to;
    RenameOutcome outcome = RenameOutcome::Skipped;
    std::string message;
};

// Renames each Good row's file to its DAT name; never replaces an existing
// file (the rename itself refuses atomically).
std::vector<RenameRow> RenameToDatNames(const std::vector<VerifyRow>& rows);

} // namespace q64
