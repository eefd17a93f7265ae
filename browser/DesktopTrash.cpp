#include "browser/DesktopTrash.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/PathNames.h"
#include "engine/FileChange.h"

namespace q64 {

namespace {

bool IsRealFolder(const std::string& path, struct stat& info) {
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Makes `path` a folder of the user's own (mode 0700) unless it is one already.
bool EnsureFolder(const std::string& path) {
    struct stat info {};
    if (IsRealFolder(path, info)) return true;
    return ::mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && IsRealFolder(path, info));
}

bool EnsureTrashFolders(const std::string& top) {
    return EnsureFolder(top) && EnsureFolder(top + "/files") && EnsureFolder(top + "/info");
}

// The topmost folder above `folder` on the same device: the volume's mount point.
std::string VolumeTop(const std::string& folder, dev_t device) {
    std::string top = folder;
    while (top != "/") {
        const std::string up = FolderOf(top);
        struct stat info {};
        if (::stat(up.c_str(), &info) != 0 || info.st_dev != device) break;
        top = up;
    }
    return top;
}

std::string Joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

TrashUser TrashUser::Current() {
    TrashUser user;
    user.uid = ::getuid();
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        user.dataHome = data;
    else if (const char* home = std::getenv("HOME"); home && *home)
        user.dataHome = std::string(home) + "/.local/share";
    return user;
}

std::optional<TrashPlace> TrashFor(const std::string& path, const TrashUser& user) {
    if (path.empty() || path[0] != '/') return std::nullopt;
    struct stat file {};
    if (::lstat(path.c_str(), &file) != 0) return std::nullopt;

    // The home trash, when the file lies on its volume.
    struct stat data {};
    if (!user.dataHome.empty() && ::stat(user.dataHome.c_str(), &data) == 0 && data.st_dev == file.st_dev) {
        const std::string top = user.dataHome + "/Trash";
        if (EnsureTrashFolders(top)) return TrashPlace{top, {}};
        return std::nullopt;
    }

    const std::string volume = VolumeTop(FolderOf(path), file.st_dev);
    const std::string uid = std::to_string(user.uid);
    // A shared "$top/.Trash" counts only as a real, sticky folder.
    struct stat shared {};
    const std::string sharedTrash = Joined(volume, ".Trash");
    if (IsRealFolder(sharedTrash, shared) && (shared.st_mode & S_ISVTX) != 0) {
        const std::string top = sharedTrash + "/" + uid;
        if (EnsureTrashFolders(top)) return TrashPlace{top, volume};
    }
    const std::string own = Joined(volume, ".Trash-" + uid);
    struct stat ownInfo {};
    if ((IsRealFolder(own, ownInfo) && ownInfo.st_uid == user.uid) || (!Exists(own) && EnsureFolder(own))) {
        if (EnsureTrashFolders(own)) return TrashPlace{own, volume};
    }
    return std::nullopt;
}

std::string PercentEncodePath(const std::string& path) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string TrashInfoText(const std::string& originalPath, std::time_t now) {
    std::tm local {};
    ::localtime_r(&now, &local);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + PercentEncodePath(originalPath) + "\nDeletionDate=" + when + "\n";
}

TrashResult MoveToTrash(const std::string& path, const TrashPlace& place, std::time_t now) {
    const std::string name = NameOf(path);
    std::string original = path;
    if (!place.pathBase.empty() && place.pathBase != "/" && path.rfind(place.pathBase + "/", 0) == 0)
        original = path.substr(place.pathBase.size() + 1);

    // A free name in both "files" and "info": "NAME", then "NAME.2", "NAME.3", ...
    std::string trashed;
    for (int n = 1; n < 10000 && trashed.empty(); ++n) {
        const std::string candidate = n == 1 ? name : name + "." + std::to_string(n);
        if (!Exists(place.top + "/files/" + candidate) && !Exists(place.top + "/info/" + candidate + ".trashinfo"))
            trashed = candidate;
    }
    if (trashed.empty()) return TrashResult::Failed;

    const std::string info = place.top + "/info/" + trashed + ".trashinfo";
    const std::string text = TrashInfoText(original, now);
    std::string message;
    if (WriteWholeFile(info, text, ExistingFile::Refuse, message) != EngineResult::Ok) return TrashResult::Failed;
    if (::rename(path.c_str(), (place.top + "/files/" + trashed).c_str()) != 0) {
        ::unlink(info.c_str()); // our own information file, written just now
        return TrashResult::Failed;
    }
    return TrashResult::Moved;
}

} // namespace q64
