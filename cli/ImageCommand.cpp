#include "cli/ImageCommand.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#include "cli/Interrupt.h"
#include "engine/Backup.h"
#include "engine/Compression.h"
#include "engine/OperationIo.h"
#include "engine/RomImage.h"

namespace q64::cli {

std::optional<BackupMode> GivenBackupOption(ArgParser& args) {
    const auto value = args.Number("backup");
    if (!value) return std::nullopt;
    if (*value != 0 && *value != 1 && *value != 3) {
        args.Fail("--backup must be 0, 1 or 3");
        return std::nullopt;
    }
    return BackupModeFromSetting(static_cast<int>(*value));
}

BackupMode BackupOption(ArgParser& args, const Settings& settings) {
    // A wrong value is an argument error that ends the command before the mode is used.
    if (const std::optional<BackupMode> mode = GivenBackupOption(args)) return *mode;
    return BackupModeFromSetting(settings.Backup);
}

int LevelOption(ArgParser& args, const Settings& settings) {
    const auto value = args.Number("level");
    if (!value) return settings.Compress;
    if (*value < container::kMinLevel || *value > container::kMaxLevel) {
        args.Fail("--level must be between 0 and 9");
        return settings.Compress;
    }
    return static_cast<int>(*value);
}

void SayAbout(const Command& command, const std::string& path, const std::string& text) {
    std::fprintf(stderr, "q64 %s: %s: %s\n", command.name, path.c_str(), text.c_str());
}

EngineResult IdentifyForCommand(const Command& command, RomImage& image, const std::string& path) {
    image.SetMessageSink(StderrSink());
    const EngineResult result = image.Identify(path);
    if (result == EngineResult::Ok) return result;
    const char* problem = ProblemReading(path, result);
    SayAbout(command, path, problem ? problem : "Unknown File Format");
    return result;
}

const char* ProblemReading(const std::string& path, EngineResult result) {
    if (result == EngineResult::Ok) return nullptr;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 && errno == ENOENT) return "No such file";
    if (result == EngineResult::ErrOpen) return messages::kOpenForRead;
    return nullptr;
}

bool LoadForCommand(const Command& command, RomImage& image, const std::string& path) {
    return IdentifyForCommand(command, image, path) == EngineResult::Ok;
}

bool RefuseBackupFile(const Command& command, const std::string& path) {
    if (!IsBackupPath(path)) return false;
    SayAbout(command, path, "a .bak file is kept as it is and never changed");
    return true;
}

void SayBackup(const Command& command, const std::string& path, const RomImage& image) {
    SayBackup(command, path, image.LastBackup());
}

void SayBackup(const Command& command, const std::string& path, const std::string& backupPath) {
    if (!backupPath.empty()) SayAbout(command, path, "backup saved as " + backupPath);
}

int ExitStatusFor(const Command& command, const std::string& path, EngineResult result, const RomImage* image) {
    if (result == EngineResult::Ok) {
        if (image) SayBackup(command, path, *image);
        return 0;
    }
    if (InterruptSignal() != 0) return ReportInterrupt(command.name, path, result);
    std::fprintf(stderr, "q64 %s: %s: failed (%s)\n", command.name, path.c_str(), ResultName(result));
    return 1;
}

} // namespace q64::cli

namespace q64::cli {

int RunOnEachImage(const Command& command, ArgParser& args,
                   const std::function<EngineResult(RomImage& image)>& operation) {
    const std::vector<std::string> files = args.Positionals();
    if (!args.Ok()) return UsageError(command, args.Error());
    if (files.empty()) return UsageError(command, "give at least one FILE");
    const InterruptGuard cancelOnSignal;
    RomImage image;
    int failed = 0;
    for (const std::string& path : files) {
        int status = 1;
        if (LoadForCommand(command, image, path) && !RefuseBackupFile(command, path))
            status = ExitStatusFor(command, path, operation(image), &image);
        image.Clear();
        if (status > 128) return status; // stopped by a signal: the rest is left alone
        if (status != 0) ++failed;
        else if (files.size() > 1) std::printf("%s: done\n", path.c_str());
    }
    if (files.size() > 1 && failed != 0) std::fprintf(stderr, "q64 %s: %d of %zu files failed\n", command.name, failed, files.size());
    return failed == 0 ? 0 : 1;
}

std::optional<BackupMode> BackupModeOption(ArgParser& args) {
    const BackupMode mode = BackupOption(args, LoadSettings());
    if (!args.Ok()) return std::nullopt;
    return mode;
}

} // namespace q64::cli
