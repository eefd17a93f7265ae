#pragma once
// Writing a whole file so that its name only ever holds the old content or
// the complete new one: the bytes go to a temporary file in the same folder,
// which is flushed to disk and then renamed over the name.

#include <string>
#include <string_view>

namespace q64 {

enum class ReplaceFileResult : int {
    Written = 1,
    ErrFolder = -1,  // the folder cannot take a new file (missing, not a folder, no permission)
    ErrWrite = -2,   // writing or flushing the temporary file failed (disk full, I/O error)
    ErrRename = -3,  // the temporary file could not be renamed over the name
    ErrTarget = -4,  // the name is a folder or another non-regular file
};

// Replaces (or creates) the regular file at `path` with `bytes`. A symbolic
// link is followed: the file it names is replaced and the link stays. An
// existing file keeps its permission bits (and its owner, where this process
// may set it); a new one gets 0666 less the umask. On any failure nothing is
// left behind: the temporary file is removed, the file under `path` is
// untouched, and `error` says what failed
// ("<path>: <system reason>"). `error` is cleared on success.
ReplaceFileResult ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error);

} // namespace q64
