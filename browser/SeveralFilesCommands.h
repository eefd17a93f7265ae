#pragma once
// The commands that apply to every file of a selection of several: one
// progress window naming the file (k of n) and showing the share of the whole
// run; Cancel stops after the current file is restored; one summary at the
// end lists what succeeded and what failed and why. Calculate CRC shows the
// invalid files in one list and offers to fix them all.

#include <string>
#include <vector>

#include "browser/CommandUi.h"

namespace q64 {

// One file's result in the summary.
struct FileOutcome {
    std::string name; // the file name, without folder
    enum class State { Done, Failed, NotRun } state = State::NotRun;
    std::string why;  // the engine's message for a failure
};

// "TITLE: k of n Files Done" and the lists of failed and not-run files.
std::string SummaryText(const std::string& title, const std::vector<FileOutcome>& outcomes);

class SeveralFilesCommands {
public:
    explicit SeveralFilesCommands(CommandEnv env) : env_(env) {}
    void ChangeFormat();
    void Compress();
    void DeCompress();
    void CalculateCrc();
    void Delete();

private:
    using Operation = std::function<EngineResult(RomImage& image, const ProgressFn& progress)>;
    // Runs `operation` on each selected file in order, then re-lists the folder.
    std::vector<FileOutcome> RunEach(ProgressCaption caption, const std::vector<std::string>& paths,
                                     const Operation& operation);
    BackupMode Mode() const { return BackupModeFromSetting(env_.settings.Backup); }

    CommandEnv env_;
};

} // namespace q64
