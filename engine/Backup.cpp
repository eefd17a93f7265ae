#include "engine/Backup.h"

#include <dirent.h>
#include <strings.h>

#include "engine/PathNames.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

// Position of the extension's dot in the last path component, or npos.
std::size_t ExtensionDot(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The name without its extension, trailing spaces trimmed.
std::string StemOf(const std::string& name) {
    const std::size_t dot = ExtensionDot(name);
    std::string stem = name.substr(0, dot == std::string::npos ? name.size() : dot);
    TrimRight(stem);
    return stem;
}

bool IsLeftoverPath(const std::string& name) {
    const std::size_t dot = ExtensionDot(name);
    return dot != std::string::npos && EqualsNoCase(name.substr(dot), "._bb");
}

} // namespace

bool IsBackupPath(const std::string& path) {
    const std::size_t dot = ExtensionDot(path);
    return dot != std::string::npos && EqualsNoCase(path.substr(dot), ".bak");
}

std::string BackupPathFor(const std::string& path, BackupMode mode) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + StemOf(path.substr(nameStart)) + (mode == BackupMode::Keep ? ".bak" : "._bb");
}

std::string KeptBackupNameAmong(const std::string& name, const std::vector<std::string>& others) {
    const std::string stem = StemOf(name);
    // Another file claims NAME.bak when it has the same stem, or when its
    // full name is this stem (its own FULLNAME.bak would be NAME.bak).
    for (const std::string& other : others) {
        if (other.empty() || other[0] == '.' || EqualsNoCase(other, name)) continue;
        if (IsBackupPath(other) || IsLeftoverPath(other)) continue;
        if (EqualsNoCase(StemOf(other), stem) || EqualsNoCase(other, stem)) return name + ".bak";
    }
    return stem + ".bak";
}

std::string KeptBackupPathFor(const std::string& path) {
    const std::string folder = FolderOf(path);
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    const std::string name = NameOf(path);
    return path.substr(0, path.size() - name.size()) + KeptBackupNameAmong(name, names);
}

} // namespace q64
