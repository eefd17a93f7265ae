#pragma once
// Splitting and joining "/"-separated paths as text (nothing is looked up on disk).

#include <string>

namespace q64 {

// The folder part of `path`: "." for a bare name, "/" for a file in the root.
inline std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The last component of `path`.
inline std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// `name` inside `folder`.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

} // namespace q64
