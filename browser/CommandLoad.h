#pragma once
// The first step every handler shares: install the message sink and load the
// selected file into the program's RomImage.

#include <string>
#include <vector>

#include "browser/CommandUi.h"

namespace q64 {

// Installs the UI's sink on the image and identifies `path` into it. Ok, or
// (after saying why through the sink) the Identify result; an empty path
// (nothing selected) is refused silently with ErrNotLoaded.
EngineResult LoadForCommand(CommandEnv& env, const std::string& path);

// The text shown for a file that cannot be loaded.
std::string LoadFailureText(EngineResult result, const std::string& path);

// What the status bar says after a change that kept a backup:
// "Backup saved as NAME" (empty when no backup was kept).
std::string BackupStatusText(const std::string& backupPath);
// Tells the backup the last change of the loaded file kept, in the status bar.
void SayBackup(CommandEnv& env, const std::string& backupPath);
// Several backups kept by one command: "Backups saved as A, B" (one: as
// SayBackup; none: nothing).
void SayBackups(CommandEnv& env, const std::vector<std::string>& backupPaths);

// printf-style formatting into a std::string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace q64
