#pragma once
// What the q64 commands that change an image share: the --backup and --level
// options with their settings defaults, loading the file, and the exit status.

#include <functional>
#include <string>

#include "settings/Settings.h"
#include "cli/Cli.h"
#include "engine/EngineTypes.h"

namespace q64 {
class RomImage;
}

namespace q64::cli {

// "--backup 0|1|3"; without it the "Backup" setting. Any other value is an
// argument error (see args.Ok()).
BackupMode BackupOption(ArgParser& args, const Settings& settings);
// "--backup 0|1|3" taken out of the arguments; nothing when it is absent
// (or wrong: an argument error).
std::optional<BackupMode> GivenBackupOption(ArgParser& args);
// "--level 0..9"; without it the "Compress" setting. Out of range: argument error.
int LevelOption(ArgParser& args, const Settings& settings);

// Identifies `path` into `image` with the engine's messages going to stderr;
// the Identify result. Otherwise says on stderr, as every command does, that
// the file is missing ("No such file"), cannot be read ("Unable to Open File
// for Read") or is not recognised ("Unknown File Format").
EngineResult IdentifyForCommand(const Command& command, RomImage& image, const std::string& path);
// "No such file" when `path` does not exist, "Unable to Open File for Read"
// when `result` says it could not be opened; null otherwise.
const char* ProblemReading(const std::string& path, EngineResult result);
// The same; true for Ok.
bool LoadForCommand(const Command& command, RomImage& image, const std::string& path);
// A command that changes files never changes a ".bak" file: says so on
// stderr and returns true for one.
bool RefuseBackupFile(const Command& command, const std::string& path);
// "q64 NAME: PATH: TEXT" on stderr.
void SayAbout(const Command& command, const std::string& path, const std::string& text);

// "q64 NAME: PATH: backup saved as BACKUP" on stderr when the last change of
// `image` kept a backup.
void SayBackup(const Command& command, const std::string& path, const RomImage& image);
// The same for a change that kept `backupPath` (nothing when it is empty):
// the save writers (mempak, dx256, save convert).
void SayBackup(const Command& command, const std::string& path, const std::string& backupPath);

// 0 for Ok (after SayBackup when `image` is given); otherwise names the
// result on stderr (the engine has already said what went wrong) and returns
// 1, or 128 + the signal number when a signal under an InterruptGuard stopped it.
int ExitStatusFor(const Command& command, const std::string& path, EngineResult result,
                  const RomImage* image = nullptr);

// The shape of a command that runs one operation on each FILE: checks the
// arguments (options already taken), then per file identifies it, runs
// `operation` on it and reports a failure on stderr (with several files each
// success is listed on stdout as "PATH: done"). Every file is tried; the exit
// status is 1 when any failed. SIGINT, SIGTERM and SIGHUP cancel the running
// operation through its progress callback (StderrProgress); the files after
// it are not tried and the status is 128 + the signal number.
int RunOnEachImage(const Command& command, ArgParser& args,
                   const std::function<EngineResult(RomImage& image)>& operation);

} // namespace q64::cli
