#pragma once
// The commands that apply to each file of a selection of several: one
// progress window naming the file (k of n) and showing the share of the whole
// run; Cancel stops after the current file is restored; one summary at the
// end lists what succeeded, what failed and why, and what was not done and
// why (a file the command does not fit, or one left by Cancel). Calculate CRC
// shows the invalid files in one list and offers to fix them all, except
// those the DAT file calls good as released. Delete goes through the same
// trash as the one-file Delete.

#include <string>
#include <vector>

#include "browser/CommandUi.h"

namespace q64 {

class HashCache;

// One file's result in the summary.
struct FileOutcome {
    std::string name; // the file name, without folder
    enum class State { Done, Failed, NotDone } state = State::NotDone;
    std::string why;  // the engine's message for a failure; the reason a file was not done
};

// "TITLE: k of n Files Done", then the failed and the not-done files with why.
std::string SummaryText(const std::string& title, const std::vector<FileOutcome>& outcomes);

class SeveralFilesCommands {
public:
    // `cache` (may be null) serves Calculate CRC's look-up in the DAT file.
    explicit SeveralFilesCommands(CommandEnv env, HashCache* cache = nullptr) : env_(env), cache_(cache) {}
    void ChangeFormat();
    void Compress();
    void DeCompress();
    void CalculateCrc();
    void Delete();

private:
    using Operation = std::function<EngineResult(RomImage& image, const ProgressFn& progress)>;
    // Runs `operation` on each selected file that `command` fits, in order,
    // then re-lists the folder. The backups kept are added to `backups`.
    std::vector<FileOutcome> RunEach(CommandId command, ProgressCaption caption, const std::vector<std::string>& paths,
                                     const Operation& operation, std::vector<std::string>& backups);
    // The summary box, and the backups kept in the status bar.
    void Finish(const std::string& title, const std::vector<FileOutcome>& outcomes,
                const std::vector<std::string>& backups);
    BackupMode Mode() const { return BackupModeFromSetting(env_.settings.Backup); }

    CommandEnv env_;
    HashCache* cache_;
};

} // namespace q64
