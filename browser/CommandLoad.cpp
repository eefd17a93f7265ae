#include "browser/CommandLoad.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "engine/PathNames.h"

namespace q64 {

std::string LoadFailureText(EngineResult result, const std::string& path) {
    if (result == EngineResult::ErrOpen) return "Unable to Open File\n" + path;
    return "Unknown File Format\n" + path;
}

EngineResult LoadForCommand(CommandEnv& env, const std::string& path) {
    env.image.SetMessageSink(env.ui.ErrorSink());
    if (path.empty()) {
        env.image.Clear();
        return EngineResult::ErrNotLoaded;
    }
    const EngineResult result = env.image.Identify(path);
    if (result != EngineResult::Ok) {
        env.image.Clear();
        env.image.Report(LoadFailureText(result, path));
    }
    return result;
}

std::string BackupStatusText(const std::string& backupPath) {
    if (backupPath.empty()) return {};
    return "Backup saved as " + NameOf(backupPath);
}

void SayBackup(CommandEnv& env, const std::string& backupPath) {
    if (!backupPath.empty()) env.ui.SetStatus(BackupStatusText(backupPath));
}

void SayBackups(CommandEnv& env, const std::vector<std::string>& backupPaths) {
    if (backupPaths.size() <= 1) {
        SayBackup(env, backupPaths.empty() ? std::string() : backupPaths.front());
        return;
    }
    std::string names;
    for (const std::string& backup : backupPaths) names += (names.empty() ? "" : ", ") + NameOf(backup);
    env.ui.SetStatus("Backups saved as " + names);
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(args);
    return text;
}

} // namespace q64
