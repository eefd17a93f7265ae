#include "browser/SeveralFilesCommands.h"

#include <filesystem>

#include "engine/PathNames.h"
#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/Compression.h"

namespace q64 {

namespace {

std::string StepText(const std::string& path, std::size_t k, std::size_t n) {
    return NameOf(path) + " (" + std::to_string(k) + " of " + std::to_string(n) + ")";
}

} // namespace

std::string SummaryText(const std::string& title, const std::vector<FileOutcome>& outcomes) {
    std::size_t done = 0;
    std::string failed, notRun;
    for (const FileOutcome& o : outcomes) {
        switch (o.state) {
        case FileOutcome::State::Done: ++done; break;
        case FileOutcome::State::Failed: failed += "\n  " + o.name + (o.why.empty() ? "" : ": " + o.why); break;
        case FileOutcome::State::NotRun: notRun += "\n  " + o.name; break;
        }
    }
    std::string text = title + ": " + std::to_string(done) + " of " + std::to_string(outcomes.size()) + " Files Done";
    if (!failed.empty()) text += "\n\nFailed:" + failed;
    if (!notRun.empty()) text += "\n\nNot Done (Cancelled):" + notRun;
    return text;
}

std::vector<FileOutcome> SeveralFilesCommands::RunEach(ProgressCaption caption, const std::vector<std::string>& paths,
                                                       const Operation& operation) {
    std::vector<FileOutcome> outcomes;
    for (const std::string& path : paths) outcomes.push_back({NameOf(path), FileOutcome::State::NotRun, {}});
    {
        auto window = env_.ui.OpenProgress(caption);
        const ProgressFn bar = window->Progress();
        const std::size_t n = paths.size();
        for (std::size_t i = 0; i < n; ++i) {
            window->SetDetail(StepText(paths[i], i + 1, n));
            // Each file's messages go into the summary, not into a box per file.
            std::string why;
            env_.image.SetMessageSink([&why](const std::string& text) {
                if (why.empty()) why = text;
            });
            const ProgressFn share = [&](int percent) {
                return bar ? bar(static_cast<int>((i * 100 + static_cast<std::size_t>(percent)) / n)) : kProgressGoOn;
            };
            EngineResult result = env_.image.Identify(paths[i]);
            if (result != EngineResult::Ok) why = result == EngineResult::ErrOpen ? "Unable to Open File for Read" : "Not Recognised";
            else result = operation(env_.image, share);
            env_.image.Clear();
            if (result == EngineResult::ErrCancelled) break; // this file is back as it was
            outcomes[i].state = result == EngineResult::Ok ? FileOutcome::State::Done : FileOutcome::State::Failed;
            outcomes[i].why = why;
        }
        env_.image.SetMessageSink(env_.ui.ErrorSink());
    }
    env_.view.RefreshKeepingSelection();
    return outcomes;
}

void SeveralFilesCommands::ChangeFormat() {
    const auto outcomes = RunEach(ProgressCaption::ByteFlipping, env_.view.SelectedPaths(),
                                  [this](RomImage& image, const ProgressFn& p) { return FlipByteOrder(image, Mode(), p); });
    env_.ui.ShowMessage(SummaryText("Change Image Format", outcomes), PromptIcon::Information);
}

void SeveralFilesCommands::Compress() {
    const auto outcomes = RunEach(ProgressCaption::Compressing, env_.view.SelectedPaths(),
                                  [this](RomImage& image, const ProgressFn& p) {
                                      return CompressImage(image, env_.settings.Compress, Mode(), p);
                                  });
    env_.ui.ShowMessage(SummaryText("Compress", outcomes), PromptIcon::Information);
}

void SeveralFilesCommands::DeCompress() {
    const auto outcomes = RunEach(ProgressCaption::DeCompressing, env_.view.SelectedPaths(),
                                  [this](RomImage& image, const ProgressFn& p) { return DecompressImage(image, Mode(), p); });
    env_.ui.ShowMessage(SummaryText("De-Compress", outcomes), PromptIcon::Information);
}

void SeveralFilesCommands::CalculateCrc() {
    const std::vector<std::string> paths = env_.view.SelectedPaths();
    std::vector<std::string> invalid;
    const auto checked = RunEach(ProgressCaption::CalculatingCrc, paths, [&](RomImage& image, const ProgressFn& p) {
        ChecksumValues values;
        const EngineResult result = CalcChecksum(image, Mode(), ChecksumFix::No, values);
        if (result == EngineResult::Ok && !values.Valid()) invalid.push_back(image.Path());
        return p(100) == kProgressGoOn ? result : EngineResult::ErrCancelled;
    });
    if (invalid.empty()) {
        env_.ui.ShowMessage(SummaryText("Calculate CRC", checked) + "\n\nNo Invalid Checksum Found",
                            PromptIcon::Information);
        return;
    }
    std::string list;
    for (const std::string& path : invalid) list += "\n  " + NameOf(path);
    const std::string text = SummaryText("Calculate CRC", checked) + "\n\nInvalid Checksum Found in " +
                             std::to_string(invalid.size()) + (invalid.size() == 1 ? " File:" : " Files:") + list;
    if (env_.view.State().onCdRom) {
        env_.ui.ShowMessage(text, PromptIcon::Error);
        return;
    }
    if (!env_.ui.AskYesNo(text + "\n\nFix Them All?", PromptIcon::Question)) return;
    const auto fixed = RunEach(ProgressCaption::CalculatingCrc, invalid, [this](RomImage& image, const ProgressFn& p) {
        ChecksumValues values;
        const EngineResult result = CalcChecksum(image, Mode(), ChecksumFix::Yes, values);
        return p(100) == kProgressGoOn ? result : EngineResult::ErrCancelled;
    });
    env_.ui.ShowMessage(SummaryText("Fix CRC", fixed), PromptIcon::Information);
}

void SeveralFilesCommands::Delete() {
    const std::vector<std::string> paths = env_.view.SelectedPaths();
    if (paths.empty()) return;
    std::string list;
    for (const std::string& path : paths) list += "\n  " + NameOf(path);
    if (!env_.ui.AskYesNo("About to delete " + std::to_string(paths.size()) + " files:" + list + "\n\nAre you Sure ?",
                          PromptIcon::Question)) {
        return;
    }
    std::vector<FileOutcome> outcomes;
    for (const std::string& path : paths) {
        std::error_code error;
        const bool removed = std::filesystem::remove(std::filesystem::path(path), error) && !error;
        outcomes.push_back({NameOf(path), removed ? FileOutcome::State::Done : FileOutcome::State::Failed,
                            error ? error.message() : (removed ? "" : "Unable to delete")});
    }
    env_.view.FillList();
    env_.ui.ShowMessage(SummaryText("Delete File", outcomes), PromptIcon::Information);
}

} // namespace q64
