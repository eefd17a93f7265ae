#include "browser/VerifyCommand.h"

namespace q64 {

std::string RenameSummary(const std::vector<RenameRow>& renamed) {
    int done = 0;
    std::string problems;
    for (const RenameRow& r : renamed) {
        switch (r.outcome) {
        case RenameOutcome::Renamed: ++done; break;
        case RenameOutcome::AlreadyNamed:
        case RenameOutcome::Skipped: break;
        case RenameOutcome::Exists:
        case RenameOutcome::Failed: problems += "\n" + r.message; break;
        }
    }
    std::string text = std::to_string(done) + (done == 1 ? " File Renamed" : " Files Renamed");
    if (!problems.empty()) text += "\nNot renamed:" + problems;
    return text;
}

std::vector<std::string> GoodWithInvalidChecksum(const Settings& settings, const std::vector<std::string>& paths,
                                                 HashCache* cache) {
    std::vector<std::string> released;
    if (settings.DatFile.empty() || paths.empty()) return released;
    DatFile dat;
    std::string message;
    if (!LoadDatFile(settings.DatFile, dat, message)) return released;
    const DatIndex index(dat);
    for (const std::string& path : paths) {
        bool cancelled = false;
        if (VerifyFile(path, index, cache, {}, cancelled).ChecksumInvalidButGood()) released.push_back(path);
    }
    return released;
}

void VerifyCommand::Verify() {
    const std::string& datPath = env_.settings.DatFile;
    if (datPath.empty()) {
        env_.ui.ShowMessage(kNoDatFile, PromptIcon::Information);
        return;
    }
    DatFile dat;
    std::string message;
    if (!LoadDatFile(datPath, dat, message)) {
        env_.ui.ShowMessage(message, PromptIcon::Error);
        return;
    }
    const DatIndex index(dat);
    std::vector<std::string> names = env_.view.SelectedPaths();
    if (names.empty()) names.push_back(env_.view.Folder());

    std::vector<VerifyRow> rows;
    {
        auto window = env_.ui.OpenProgress(ProgressCaption::Verifying);
        const ProgressFn bar = window->Progress();
        std::size_t shownFile = 0;
        rows = VerifyFiles(names, index, cache_, [&](std::size_t k, std::size_t n, const std::string& path, int percent) {
            if (k != shownFile && n > 1) {
                shownFile = k;
                window->SetDetail(path.substr(path.find_last_of('/') + 1) + " (" + std::to_string(k) + " of " +
                                  std::to_string(n) + ")");
            }
            // The whole run's share: files done plus the part of this one.
            const int overall = static_cast<int>(((k - 1) * 100 + static_cast<std::size_t>(percent)) / n);
            return bar ? bar(overall) : kProgressGoOn;
        });
    }
    if (!env_.ui.ShowVerifyResults(rows)) return;
    const std::vector<RenameRow> renamed = RenameToDatNames(rows);
    env_.view.RefreshKeepingSelection();
    env_.ui.ShowMessage(RenameSummary(renamed), PromptIcon::Information);
}

} // namespace q64
