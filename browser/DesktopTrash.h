#pragma once
// The desktop's trash, as file managers share it: a deleted file moves into
// a trash folder's "files" with a "NAME.trashinfo" beside it in "info"
// (its original path and the deletion time), from where a file manager can
// restore it. A file only moves within its own volume: the user's home trash
// ($XDG_DATA_HOME/Trash) when the file lies on that volume, otherwise the
// volume's own "$top/.Trash/UID" (a shared, sticky folder) or "$top/.Trash-UID".

#include <ctime>
#include <optional>
#include <string>
#include <sys/types.h>

namespace q64 {

struct TrashPlace {
    std::string top;       // the trash folder (holds "files" and "info")
    std::string pathBase;  // the original path is written relative to this; empty: absolute
};

struct TrashUser {
    std::string dataHome;  // $XDG_DATA_HOME, or $HOME/.local/share
    uid_t uid = 0;
    // The running user's.
    static TrashUser Current();
};

// The trash that can take `path` by a rename, creating its folders when
// needed; nothing when the volume has none that may be used.
std::optional<TrashPlace> TrashFor(const std::string& path, const TrashUser& user);

enum class TrashResult {
    Moved,       // in the trash, with its information file
    NoTrash,     // the volume has no usable trash: nothing was done
    Failed,      // the move failed: the file is where it was, no information file is left
};

// Moves `path` into `place`: the information file first, written whole
// through the program's file-change mechanism, then the rename; a name
// already in the trash gets a number. `now` is the deletion time.
TrashResult MoveToTrash(const std::string& path, const TrashPlace& place, std::time_t now);

// The ".trashinfo" text for `originalPath` deleted at `now` (local time).
std::string TrashInfoText(const std::string& originalPath, std::time_t now);
// `path` with every byte outside the unreserved characters and "/" written as %XX.
std::string PercentEncodePath(const std::string& path);

} // namespace q64
