#pragma once
// Where q64 keeps what carries over between runs (the Surgeon64 control
// shadow and mode): a folder only the user can reach, so that nobody else can
// plant a link or a file there.

#include <string>

namespace q64::cli {

// $XDG_RUNTIME_DIR when it is set to an absolute path of a folder that is
// private to the user (a folder, not a link, owned by the user, no access for
// group or others); otherwise $XDG_CACHE_HOME/quorvel64 or
// ~/.cache/quorvel64, made with mode 0700 when missing and then held to the
// same test. Empty, with `why` set, when none passes.
std::string PrivateStateFolder(std::string& why);

// True when `path` is a folder (not a link) owned by this user that group and
// others cannot reach; `why` says what is wrong otherwise.
bool IsPrivateFolder(const std::string& path, std::string& why);

} // namespace q64::cli
