#pragma once
// Backup names. Changes themselves go through FileChange (engine/FileChange.h),
// which makes the kept backup NAME.bak.

#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

// True when the path's extension is ".bak" (case ignored): such a file is never changed.
bool IsBackupPath(const std::string& path);

// The backup name of `path`: same folder, the name with trailing spaces
// trimmed, extension replaced by ".bak" (Keep) or "._bb" (any other mode).
std::string BackupPathFor(const std::string& path, BackupMode mode);

} // namespace q64
