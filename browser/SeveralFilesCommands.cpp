#include "browser/SeveralFilesCommands.h"

#include <algorithm>

#include "browser/CommandLoad.h"
#include "browser/FileCommands.h"
#include "browser/VerifyCommand.h"
#include "engine/Backup.h"
#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/Compression.h"
#include "engine/PathNames.h"

namespace q64 {

namespace {

std::string StepText(const std::string& path, std::size_t k, std::size_t n) {
    return NameOf(path) + " (" + std::to_string(k) + " of " + std::to_string(n) + ")";
}

std::string NameList(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) list += "\n  " + NameOf(path);
    return list;
}

} // namespace

std::string SummaryText(const std::string& title, const std::vector<FileOutcome>& outcomes) {
    std::size_t done = 0;
    std::string failed, notDone;
    for (const FileOutcome& o : outcomes) {
        const std::string line = "\n  " + o.name + (o.why.empty() ? "" : ": " + o.why);
        switch (o.state) {
        case FileOutcome::State::Done: ++done; break;
        case FileOutcome::State::Failed: failed += line; break;
        case FileOutcome::State::NotDone: notDone += line; break;
        }
    }
    std::string text = title + ": " + std::to_string(done) + " of " + std::to_string(outcomes.size()) + " Files Done";
    if (!failed.empty()) text += "\n\nFailed:" + failed;
    if (!notDone.empty()) text += "\n\nNot done:" + notDone;
    return text;
}

std::vector<FileOutcome> SeveralFilesCommands::RunEach(CommandId command, ProgressCaption caption,
                                                       const std::vector<std::string>& paths,
                                                       const Operation& operation, std::vector<std::string>& backups) {
    std::vector<FileOutcome> outcomes;
    for (const std::string& path : paths) outcomes.push_back({NameOf(path), FileOutcome::State::NotDone, "cancelled"});
    const bool onCdRom = env_.view.State().onCdRom;
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
            if (result == EngineResult::ErrOpen) {
                why = "Unable to Open File for Read";
            } else {
                // A file the command does not fit is left alone, with the reason.
                const SelectedFile file{result == EngineResult::Ok ? ToInt(env_.image.GetKind()) : 0,
                                        IsBackupPath(paths[i])};
                if (const std::string refusal = SeveralFilesRefusal(command, file, onCdRom); !refusal.empty()) {
                    env_.image.Clear();
                    outcomes[i].why = refusal;
                    continue;
                }
                result = operation(env_.image, share);
                if (result == EngineResult::Ok && !env_.image.LastBackup().empty())
                    backups.push_back(env_.image.LastBackup());
            }
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

void SeveralFilesCommands::Finish(const std::string& title, const std::vector<FileOutcome>& outcomes,
                                  const std::vector<std::string>& backups) {
    env_.ui.ShowMessage(SummaryText(title, outcomes), PromptIcon::Information);
    SayBackups(env_, backups);
}

void SeveralFilesCommands::ChangeFormat() {
    std::vector<std::string> backups;
    const auto outcomes = RunEach(CommandId::ChangeFormat, ProgressCaption::ByteFlipping, env_.view.SelectedPaths(),
                                  [this](RomImage& image, const ProgressFn& p) {
                                      return FlipByteOrder(image, Mode(), p, NameFollows::Yes);
                                  },
                                  backups);
    Finish("Change Image Format", outcomes, backups);
}

void SeveralFilesCommands::Compress() {
    std::vector<std::string> backups;
    const auto outcomes = RunEach(CommandId::Compress, ProgressCaption::Compressing, env_.view.SelectedPaths(),
                                  [this](RomImage& image, const ProgressFn& p) {
                                      return CompressImage(image, env_.settings.Compress, Mode(), p);
                                  },
                                  backups);
    Finish("Compress", outcomes, backups);
}

void SeveralFilesCommands::DeCompress() {
    std::vector<std::string> backups;
    const auto outcomes = RunEach(CommandId::DeCompress, ProgressCaption::DeCompressing, env_.view.SelectedPaths(),
                                  [this](RomImage& image, const ProgressFn& p) { return DecompressImage(image, Mode(), p); },
                                  backups);
    Finish("De-Compress", outcomes, backups);
}

void SeveralFilesCommands::CalculateCrc() {
    const std::vector<std::string> paths = env_.view.SelectedPaths();
    std::vector<std::string> invalid, backups;
    const auto checked = RunEach(CommandId::CalcCrc, ProgressCaption::CalculatingCrc, paths,
                                 [&](RomImage& image, const ProgressFn& p) {
                                     ChecksumValues values;
                                     const EngineResult result = CalcChecksum(image, Mode(), ChecksumFix::No, values);
                                     if (result == EngineResult::Ok && !values.Valid()) invalid.push_back(image.Path());
                                     return p(100) == kProgressGoOn ? result : EngineResult::ErrCancelled;
                                 },
                                 backups);
    std::string text = SummaryText("Calculate CRC", checked);
    if (invalid.empty()) {
        env_.ui.ShowMessage(text + "\n\nNo Invalid Checksum Found", PromptIcon::Information);
        return;
    }
    // Dumps the DAT file calls good are as released: named, and never fixed.
    const std::vector<std::string> released = GoodWithInvalidChecksum(env_.settings, invalid, cache_);
    std::vector<std::string> toFix;
    for (const std::string& path : invalid)
        if (std::find(released.begin(), released.end(), path) == released.end()) toFix.push_back(path);
    if (!toFix.empty())
        text += "\n\nInvalid Checksum Found in " + std::to_string(toFix.size()) +
                (toFix.size() == 1 ? " File:" : " Files:") + NameList(toFix);
    if (!released.empty())
        text += "\n\nGood by the DAT file, " + std::string(kReleasedChecksumNote) + ":" + NameList(released);
    if (toFix.empty() || env_.view.State().onCdRom) {
        env_.ui.ShowMessage(text, toFix.empty() ? PromptIcon::Information : PromptIcon::Error);
        return;
    }
    if (!env_.ui.AskYesNo(text + "\n\nFix Them All?", PromptIcon::Question)) return;
    const auto fixed = RunEach(CommandId::CalcCrc, ProgressCaption::CalculatingCrc, toFix,
                               [this](RomImage& image, const ProgressFn& p) {
                                   ChecksumValues values;
                                   const EngineResult result = CalcChecksum(image, Mode(), ChecksumFix::Yes, values);
                                   return p(100) == kProgressGoOn ? result : EngineResult::ErrCancelled;
                               },
                               backups);
    Finish("Fix CRC", fixed, backups);
}

void SeveralFilesCommands::Delete() {
    const std::vector<std::string> paths = env_.view.SelectedPaths();
    if (paths.empty()) return;
    // Every file goes where the one-file Delete would send it, and the question says where.
    std::vector<DeletePlan> plans;
    bool anyTrash = false, anyForGood = false;
    for (const std::string& path : paths) {
        plans.push_back(PlanDelete(path));
        (plans.back().trash ? anyTrash : anyForGood) = true;
    }
    std::string question = "About to delete " + std::to_string(paths.size()) + " files:" + NameList(paths) +
                           "\n\nAre you Sure ?";
    if (anyTrash) question += anyForGood ? kSomeToTrashNote : kSeveralToTrashNote;
    else question += kSeveralForGoodNote;
    if (!env_.ui.AskYesNo(question, PromptIcon::Question)) return;
    std::vector<FileOutcome> outcomes;
    for (const DeletePlan& plan : plans) {
        const std::string why = CarryOutDelete(plan);
        outcomes.push_back({NameOf(plan.path), why.empty() ? FileOutcome::State::Done : FileOutcome::State::Failed, why});
    }
    env_.view.FillList();
    env_.ui.ShowMessage(SummaryText("Delete File", outcomes), PromptIcon::Information);
}

} // namespace q64
