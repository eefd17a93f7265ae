#include "browser/VerifyImages.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/PathNames.h"
#include "engine/Backup.h"
#include "engine/ByteOrder.h"
#include "engine/FileChange.h"

namespace q64 {

namespace {

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

} // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    FileStamp stamp;
    stamp.path = Absolute(path);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.mtimeNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    return stamp;
}

const char* OutcomeText(VerifyOutcome outcome) {
    switch (outcome) {
    case VerifyOutcome::Good: return "good";
    case VerifyOutcome::Bad: return "bad";
    case VerifyOutcome::Unknown: return "unknown";
    case VerifyOutcome::NotImage: return "not an image";
    case VerifyOutcome::Unreadable: return "unreadable";
    }
    return "unknown";
}

std::vector<VerifyTarget> ExpandVerifyPaths(const std::vector<std::string>& names) {
    std::vector<VerifyTarget> out;
    for (const std::string& name : names) {
        struct stat info {};
        if (::stat(name.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            out.push_back({name, false});
            continue;
        }
        std::vector<std::string> found;
        if (DIR* dir = ::opendir(name.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string file = entry->d_name;
                if (file.empty() || file[0] == '.' || IsBackupPath(file)) continue;
                const std::string path = name.back() == '/' ? name + file : name + "/" + file;
                struct stat st {};
                if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) found.push_back(path);
            }
            ::closedir(dir);
        }
        std::sort(found.begin(), found.end());
        for (std::string& path : found) out.push_back({std::move(path), true});
    }
    return out;
}

VerifyRow VerifyFile(const std::string& path, const DatIndex& index, HashCache* cache, const ProgressFn& progress,
                     bool& cancelled) {
    cancelled = false;
    VerifyRow row;
    row.path = path;
    const std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp) {
        struct stat info {};
        row.outcome = VerifyOutcome::Unreadable;
        row.message = ::lstat(path.c_str(), &info) != 0 && errno == ENOENT ? "No such file" : "Unable to Open File for Read";
        return row;
    }
    std::optional<CachedHash> known = cache ? cache->Find(*stamp) : std::nullopt;
    row.fromCache = known.has_value();
    if (!known) {
        CachedHash fresh;
        const EngineResult hashed = HashImageFile(path, fresh.hashes, progress, row.message);
        switch (hashed) {
        case EngineResult::Ok: fresh.isImage = true; break;
        case EngineResult::ErrFormat: fresh.isImage = false; break;
        case EngineResult::ErrCancelled:
            cancelled = true;
            row.outcome = VerifyOutcome::Unreadable;
            return row;
        default:
            row.outcome = VerifyOutcome::Unreadable;
            return row;
        }
        // Only a file that did not change while it was read is remembered.
        const std::optional<FileStamp> after = StampOf(path);
        if (cache && after && after->size == stamp->size && after->mtimeNs == stamp->mtimeNs &&
            after->inode == stamp->inode)
            cache->Store(*stamp, fresh);
        known = fresh;
    }
    if (!known->isImage) {
        row.outcome = VerifyOutcome::NotImage;
        if (row.message.empty()) row.message = "Not an Image";
        return row;
    }
    row.hashes = known->hashes;
    const DatMatch match = index.Match(row.hashes, NameOf(path));
    switch (match.status) {
    case DatStatus::Good: row.outcome = VerifyOutcome::Good; break;
    case DatStatus::Bad: row.outcome = VerifyOutcome::Bad; break;
    case DatStatus::Unknown: row.outcome = VerifyOutcome::Unknown; break;
    }
    if (match.rom) {
        row.game = match.rom->game;
        row.romName = match.rom->name;
    }
    return row;
}

std::vector<VerifyRow> VerifyFiles(const std::vector<std::string>& names, const DatIndex& index, HashCache* cache,
                                   const VerifyProgressFn& progress) {
    const std::vector<VerifyTarget> targets = ExpandVerifyPaths(names);
    std::vector<VerifyRow> rows;
    if (cache) cache->BeginBatch();
    for (std::size_t k = 0; k < targets.size(); ++k) {
        const VerifyTarget& target = targets[k];
        const ProgressFn share = [&](int percent) {
            return progress ? progress(k + 1, targets.size(), target.path, percent) : kProgressGoOn;
        };
        if (share(0) != kProgressGoOn) break;
        bool cancelled = false;
        VerifyRow row = VerifyFile(target.path, index, cache, share, cancelled);
        if (cancelled) break;
        if (row.outcome == VerifyOutcome::NotImage && target.fromFolder) continue;
        rows.push_back(std::move(row));
    }
    if (cache) cache->EndBatch();
    return rows;
}

std::string DatTargetName(const VerifyRow& row) {
    if (row.outcome != VerifyOutcome::Good || row.game.empty()) return {};
    std::string name = row.game;
    for (char& c : name)
        if (c == '/' || c == '\0') c = '_';
    if (name == "." || name == "..") name = "_" + name;
    return name + ExtensionFor(row.hashes.format);
}

std::vector<RenameRow> RenameToDatNames(const std::vector<VerifyRow>& rows) {
    std::vector<RenameRow> out;
    for (const VerifyRow& row : rows) {
        RenameRow r;
        r.from = row.path;
        const std::string name = DatTargetName(row);
        if (name.empty()) {
            r.outcome = RenameOutcome::Skipped;
            out.push_back(std::move(r));
            continue;
        }
        const std::string folder = FolderOf(row.path);
        r.to = folder == "/" ? "/" + name : folder + "/" + name;
        if (NameOf(row.path) == name) {
            r.outcome = RenameOutcome::AlreadyNamed;
        } else if (RenameNoReplace(row.path, r.to) == 0) {
            r.outcome = RenameOutcome::Renamed;
        } else if (errno == EEXIST) {
            r.outcome = RenameOutcome::Exists;
            r.message = r.to + " already exists";
        } else {
            r.outcome = RenameOutcome::Failed;
            r.message = "Unable to rename " + row.path + ": " + std::strerror(errno);
        }
        out.push_back(std::move(r));
    }
    return out;
}

} // namespace q64
