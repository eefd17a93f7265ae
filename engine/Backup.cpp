#include "engine/Backup.h"


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

bool EqualsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i]) return false;
    }
    return i == a.size() && b[i] == '\0';
}

} // namespace

bool IsBackupPath(const std::string& path) {
    const std::size_t dot = ExtensionDot(path);
    return dot != std::string::npos && EqualsNoCase(path.substr(dot), ".bak");
}

std::string BackupPathFor(const std::string& path, BackupMode mode) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = ExtensionDot(path);
    std::string folder = path.substr(0, nameStart);
    std::string name = path.substr(nameStart, (dot == std::string::npos ? path.size() : dot) - nameStart);
    TrimRight(name);
    return folder + name + (mode == BackupMode::Keep ? ".bak" : "._bb");
}

} // namespace q64
