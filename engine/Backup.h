#pragma once
// Backup names. Changes themselves go through FileChange (engine/FileChange.h),
// which makes the kept backup (KeptBackupPathFor).

#include <string>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

// True when the path's extension is ".bak" (case ignored): such a file is never changed.
bool IsBackupPath(const std::string& path);

// The backup name of `path` by the old rule: same folder, the name with
// trailing spaces trimmed, extension replaced by ".bak" (Keep) or "._bb"
// (any other mode). NAME._bb is the leftover of an unfinished change.
std::string BackupPathFor(const std::string& path, BackupMode mode);

// The name of the backup kept for the file `name` in a folder holding
// `others` (every other entry's name; the file itself may be among them).
// NAME.bak while no other file shares the stem (Game.z64 alone: Game.bak);
// otherwise the full name plus ".bak" (Game.z64 beside Game.v64:
// Game.z64.bak), so that no file's backup ever replaces another file's.
// Backups (".bak", "._bb") and hidden names are not counted; names compare
// without regard to case, as on the memory cards of the flashcarts.
std::string KeptBackupNameAmong(const std::string& name, const std::vector<std::string>& others);

// The kept backup of `path`, by KeptBackupNameAmong over its folder as it is now.
std::string KeptBackupPathFor(const std::string& path);

} // namespace q64
