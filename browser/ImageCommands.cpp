#include "browser/ImageCommands.h"

#include "browser/CommandLoad.h"
#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/Compression.h"
#include "engine/IpsPatch.h"
#include "engine/OperationIo.h"
#include "engine/Patches.h"
#include "engine/PatchMaker.h"
#include "engine/Resize.h"
#include "engine/Title.h"
#include "engine/TitleText.h"

namespace q64 {

void ImageCommands::RunWithProgress(ProgressCaption caption,
                                    const std::function<EngineResult(const ProgressFn&)>& operation) {
    {
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(caption);
        const ProgressFn progress = window ? window->Progress() : ProgressFn{};
        if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok) operation(progress);
        env_.image.Clear();
    }
    env_.view.RefreshKeepingSelection();
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
    RunWithProgress(ProgressCaption::ByteFlipping,
                    [this](const ProgressFn& progress) { return FlipByteOrder(env_.image, Mode(), progress); });
}

void ImageCommands::ReSize() {
    const std::optional<int> mbit = env_.ui.AskResizeMbit();
    if (!mbit) return;
    const std::int64_t bytes = static_cast<std::int64_t>(*mbit) * kBytesPerMbit;
    RunWithProgress(ProgressCaption::ReSize,
                    [this, bytes](const ProgressFn& progress) { return ResizeImage(env_.image, bytes, Mode(), progress); });
}

void ImageCommands::CalculateCrc() {
    if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok) {
        ChecksumValues values;
        // A failed check has already been told by the engine; its values mean nothing.
        if (CalcChecksum(env_.image, Mode(), ChecksumFix::No, values) == EngineResult::Ok) {
            if (values.Valid()) {
                env_.ui.ShowMessage(FormatText(kValidChecksumText, values.stored1, values.stored2),
                                    PromptIcon::Information);
            } else {
                const std::string text =
                    FormatText(kInvalidChecksumText, values.stored1, values.stored2, values.new1, values.new2);
                if (env_.view.State().onCdRom) {
                    env_.ui.ShowMessage(text, PromptIcon::Error);
                } else if (env_.ui.AskYesNo(text + kFixQuestionText, PromptIcon::Error)) {
                    ChecksumValues fixed;
                    CalcChecksum(env_.image, Mode(), ChecksumFix::Yes, fixed);
                }
            }
        }
    }
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
}

void ImageCommands::EditTitle() {
    // The stored field lets the dialog keep bytes it can only show as a replacement.
    std::string original;
    if (env_.image.Identify(env_.view.CurrentPath()) == EngineResult::Ok) original = env_.image.TitleField();
    env_.image.Clear();
    const std::optional<std::string> title = env_.ui.AskTitle(env_.view.CurrentTitle(), original);
    if (!title) return;
    if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok) {
        // Encoded against the field as it is now; an unchanged text writes it back byte for byte.
        const TitleEncoding encoding = EncodeTitle(*title, env_.image.TitleField());
        if (encoding.Ok())
            q64::EditTitle(env_.image, Mode(), encoding.bytes);
        else
            env_.ui.ShowMessage(RefusedTitleMessage(encoding), PromptIcon::Error);
    }
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
}

void ImageCommands::IpsPatch() {
    FilePickRequest request;
    request.folder = env_.view.Folder();
    request.filter = kPatchOpenFilter;
    const std::optional<std::string> patch = env_.ui.PickOpenFile(request);
    if (!patch) return;
    if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok) ApplyPatch(env_.image, Mode(), *patch);
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
}

void ImageCommands::CreatePatch() {
    FilePickRequest modifiedRequest;
    modifiedRequest.folder = env_.view.Folder();
    modifiedRequest.filter = kModifiedImageFilter;
    const std::optional<std::string> modified = env_.ui.PickOpenFile(modifiedRequest);
    if (!modified) return;
    FilePickRequest outRequest;
    outRequest.folder = env_.view.Folder();
    outRequest.filter = kPatchSaveFilter;
    // IPS reaches only the first 16 MiB: offer BPS for anything larger.
    const std::int64_t size = FileSizeOnDisk(env_.view.CurrentPath());
    outRequest.defaultExtension = size > static_cast<std::int64_t>(ips::kMaxMakeSize) ? "BPS" : "IPS";
    const std::optional<std::string> out = env_.ui.PickSaveFile(outRequest);
    if (!out) return;
    if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok)
        q64::CreatePatch(env_.image, *modified, *out, PatchKindForName(*out));
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
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
    if (read && env_.ui.TuneBios(colour, position) && LoadForCommand(env_, path) == EngineResult::Ok)
        SetBiosParameters(env_.image, Mode(), colour, position);
    env_.image.Clear();
    env_.view.RefreshKeepingSelection();
}

} // namespace q64
