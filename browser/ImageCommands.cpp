#include "browser/ImageCommands.h"

#include "browser/CommandLoad.h"
#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/Compression.h"
#include "engine/IpsPatch.h"
#include "browser/VerifyCommand.h"
#include "engine/OperationIo.h"
#include "engine/PathNames.h"
#include "engine/Patches.h"
#include "engine/PatchMaker.h"
#include "engine/Resize.h"
#include "engine/Title.h"
#include "engine/TitleText.h"

namespace q64 {

std::string ResizeCutQuestion(const std::string& name, std::int64_t currentBytes, std::int64_t newBytes) {
    const std::int64_t cut = currentBytes - newBytes;
    return FormatText(kResizeCutText, static_cast<double>(newBytes) / kBytesPerMbit,
                      static_cast<double>(cut) / kBytesPerMbit, static_cast<long long>(cut), name.c_str());
}

std::string RenamedStatusText(const std::string& oldPath, const std::string& newPath, const std::string& backupPath) {
    std::string text = NameOf(oldPath) + " renamed to " + NameOf(newPath) + " to fit its new byte order";
    if (!backupPath.empty()) text += "; backup saved as " + NameOf(backupPath);
    return text;
}

std::string PatchNameFor(const std::string& modifiedPath, PatchKind kind) {
    std::string name = NameOf(modifiedPath);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name + (kind == PatchKind::Bps ? ".bps" : ".ips");
}

void ImageCommands::RunWithProgress(ProgressCaption caption,
                                    const std::function<EngineResult(const ProgressFn&)>& operation) {
    std::string backup, renamed;
    const std::string path = env_.view.CurrentPath();
    {
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(caption);
        const ProgressFn progress = window ? window->Progress() : ProgressFn{};
        if (LoadForCommand(env_, path) == EngineResult::Ok && operation(progress) == EngineResult::Ok) {
            backup = env_.image.LastBackup();
            renamed = env_.image.RenamedTo();
        }
        env_.image.Clear();
    }
    if (renamed.empty()) {
        env_.view.RefreshKeepingSelection();
        SayBackup(env_, backup);
        return;
    }
    env_.view.FillListSelecting(NameOf(renamed));
    env_.ui.SetStatus(RenamedStatusText(path, renamed, backup));
}

void ImageCommands::Compress() {
    RunWithProgress(ProgressCaption::Compressing, [this](const ProgressFn& progress) {
        return CompressImage(env_.image, env_.settings.Compress, Mode(), progress);
    });
}

void ImageCommands::DeCompress() {
    RunWithProgress(ProgressCaption::DeCompressing,
                    [this](const ProgressFn& progress) { return DecompressImage(env_.image, Mode(), progress); });
}

void ImageCommands::ChangeFormat() {
    RunWithProgress(ProgressCaption::ByteFlipping, [this](const ProgressFn& progress) {
        return FlipByteOrder(env_.image, Mode(), progress, NameFollows::Yes);
    });
}

void ImageCommands::ReSize() {
    const std::string path = env_.view.CurrentPath();
    std::int64_t current = -1;
    if (!path.empty() && env_.image.Identify(path) == EngineResult::Ok) current = env_.image.FileSize();
    env_.image.Clear();
    const std::optional<int> mbit = env_.ui.AskResizeMbit(current);
    if (!mbit) return;
    const std::int64_t bytes = static_cast<std::int64_t>(*mbit) * kBytesPerMbit;
    // A smaller size cuts the end of the image off: asked first.
    if (current > bytes && !env_.ui.AskYesNo(ResizeCutQuestion(NameOf(path), current, bytes), PromptIcon::Question))
        return;
    RunWithProgress(ProgressCaption::ReSize,
                    [this, bytes](const ProgressFn& progress) { return ResizeImage(env_.image, bytes, Mode(), progress); });
}

void ImageCommands::CalculateCrc() {
    const std::string path = env_.view.CurrentPath();
    std::string backup;
    if (LoadForCommand(env_, path) == EngineResult::Ok) {
        ChecksumValues values;
        // A failed check has already been told by the engine; its values mean nothing.
        if (CalcChecksum(env_.image, Mode(), ChecksumFix::No, values) == EngineResult::Ok) {
            if (values.Valid()) {
                env_.ui.ShowMessage(FormatText(kValidChecksumText, values.stored1, values.stored2),
                                    PromptIcon::Information);
            } else {
                const std::string text =
                    FormatText(kInvalidChecksumText, values.stored1, values.stored2, values.new1, values.new2);
                env_.image.Clear();
                // A dump the DAT file calls good is as released: never offered for fixing.
                const bool released = !GoodWithInvalidChecksum(env_.settings, {path}, nullptr).empty();
                if (released) {
                    env_.ui.ShowMessage(text + "\n\nThe DAT file lists this image as good: " + kReleasedChecksumNote +
                                            ".",
                                        PromptIcon::Information);
                } else if (env_.view.State().onCdRom) {
                    env_.ui.ShowMessage(text, PromptIcon::Error);
                } else if (env_.ui.AskYesNo(text + kFixQuestionText, PromptIcon::Error) &&
                           LoadForCommand(env_, path) == EngineResult::Ok) {
                    ChecksumValues fixed;
                    if (CalcChecksum(env_.image, Mode(), ChecksumFix::Yes, fixed) == EngineResult::Ok)
                        backup = env_.image.LastBackup();
                }
            }
        }
    }
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
    SayBackup(env_, backup);
}

void ImageCommands::EditTitle() {
    // The stored field lets the dialog keep bytes it can only show as a replacement.
    std::string original;
    if (env_.image.Identify(env_.view.CurrentPath()) == EngineResult::Ok) original = env_.image.TitleField();
    env_.image.Clear();
    const std::optional<std::string> title = env_.ui.AskTitle(env_.view.CurrentTitle(), original);
    if (!title) return;
    std::string backup;
    if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok) {
        // Encoded against the field as it is now; an unchanged text writes it back byte for byte.
        const TitleEncoding encoding = EncodeTitle(*title, env_.image.TitleField());
        if (!encoding.Ok())
            env_.ui.ShowMessage(RefusedTitleMessage(encoding), PromptIcon::Error);
        else if (q64::EditTitle(env_.image, Mode(), encoding.bytes) == EngineResult::Ok)
            backup = env_.image.LastBackup();
    }
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
    SayBackup(env_, backup);
}

void ImageCommands::IpsPatch() {
    FilePickRequest request;
    request.folder = env_.view.Folder();
    request.filter = kPatchOpenFilter;
    const std::optional<std::string> patch = env_.ui.PickOpenFile(request);
    if (!patch) return;
    std::string backup;
    if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok &&
        ApplyPatch(env_.image, Mode(), *patch) == EngineResult::Ok)
        backup = env_.image.LastBackup();
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
    SayBackup(env_, backup);
}

void ImageCommands::CreatePatch() {
    FilePickRequest modifiedRequest;
    modifiedRequest.title = kModifiedImageTitle;
    modifiedRequest.folder = env_.view.Folder();
    modifiedRequest.filter = kModifiedImageFilter;
    const std::optional<std::string> modified = env_.ui.PickOpenFile(modifiedRequest);
    if (!modified) return;
    FilePickRequest outRequest;
    outRequest.folder = env_.view.Folder();
    outRequest.filter = kPatchSaveFilter;
    // IPS reaches only the first 16 MiB: offer BPS for anything larger.
    const std::int64_t size = FileSizeOnDisk(env_.view.CurrentPath());
    const bool bps = size > static_cast<std::int64_t>(ips::kMaxMakeSize) ||
                     FileSizeOnDisk(*modified) > static_cast<std::int64_t>(ips::kMaxMakeSize);
    outRequest.defaultExtension = bps ? "bps" : "ips";
    outRequest.fileName = PatchNameFor(*modified, bps ? PatchKind::Bps : PatchKind::Ips);
    const std::optional<std::string> out = env_.ui.PickSaveFile(outRequest);
    if (!out) return;
    bool made = false;
    {
        // Closed before "Patch Created" is said; a cancel says nothing more.
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(ProgressCaption::CreatingPatch);
        const ProgressFn progress = window ? window->Progress() : ProgressFn{};
        if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok)
            made = q64::CreatePatch(env_.image, *modified, *out, PatchKindForName(*out), BpsMethod::Delta, progress) ==
                   EngineResult::Ok;
    }
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
    if (made) env_.ui.ShowMessage(FormatText(kPatchCreatedText, out->c_str()), PromptIcon::Information);
}

void ImageCommands::TuneBios() {
    const std::string path = env_.view.CurrentPath();
    BiosColour colour;
    BiosPosition position;
    bool read = false;
    if (LoadForCommand(env_, path) == EngineResult::Ok) {
        read = GetBiosColour(env_.image, colour) == EngineResult::Ok &&
               GetBiosPosition(env_.image, position) == EngineResult::Ok;
        if (!read) env_.image.Report("Unable to read the BIOS parameters of\n" + path);
    }
    env_.image.Clear();
    // The file is loaded again after the dialog: the list may have used the image meanwhile.
    std::string backup;
    if (read && env_.ui.TuneBios(colour, position) && LoadForCommand(env_, path) == EngineResult::Ok &&
        SetBiosParameters(env_.image, Mode(), colour, position) == EngineResult::Ok)
        backup = env_.image.LastBackup();
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
    SayBackup(env_, backup);
}

} // namespace q64
