#include "browser/TransferCommands.h"

#include "browser/CommandLoad.h"
#include "transfer/Transfer.h"

namespace q64 {

namespace {
constexpr const char* kReady = "Ready";
constexpr const char* kGettingSync = "Getting Sync...";
} // namespace

void TransferCommands::Configure() {
    const Settings& s = env_.settings;
    ConfigureTransfer(link_.state, env_.image, s.Unit, s.BIOS, s.OutPort, link_.osKind, s.CD64Port,
                      static_cast<std::uint8_t>(s.CD64Comm), static_cast<std::uint8_t>(s.CD64ReceiveType));
}

TransferCallbacks TransferCommands::Callbacks(ProgressWindow* window) {
    TransferCallbacks calls;
    if (window) calls.progress = window->Progress();
    lastStep_.clear();
    calls.status = [this](const std::string& text) {
        if (text != kReady) lastStep_ = text;
        env_.ui.SetStatus(text);
    };
    return calls;
}

void TransferCommands::HintAfterNoAnswer(EngineResult result) {
    if (result != EngineResult::ErrCancelled || lastStep_ != kGettingSync) return;
    const std::string hint = NoAnswerHint(link_.state, link_.port.Backend());
    if (!hint.empty()) env_.ui.ShowMessage(hint, PromptIcon::Information);
}

void TransferCommands::Send() {
    {
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(ProgressCaption::Sending);
        Configure();
        if (LoadForCommand(env_, env_.view.CurrentPath()) == EngineResult::Ok)
            HintAfterNoAnswer(SendImage(link_.state, link_.port, env_.image, Callbacks(window.get())));
        env_.image.Clear();
    }
    // Nothing on disk changed: the list is not read again.
    env_.view.UpdateSelection();
}

void TransferCommands::Receive() {
    const std::string folder = env_.settings.DefaultDir;
    FilePickRequest request;
    request.folder = folder;
    request.defaultExtension = "V64";
    // A cancelled question leaves the list where it was.
    const std::optional<std::string> path = env_.ui.PickSaveFile(request);
    if (!path) return;
    int sizeMbit = 0;
    if (env_.settings.Unit == static_cast<int>(Unit::Cd64)) {
        const std::optional<int> size = env_.ui.AskReceiveSizeMbit();
        if (!size) return;
        sizeMbit = *size;
    }
    {
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(ProgressCaption::Receiving);
        Configure();
        env_.image.SetMessageSink(env_.ui.ErrorSink());
        HintAfterNoAnswer(
            ReceiveImage(link_.state, link_.port, env_.image, *path, sizeMbit, Callbacks(window.get())));
        env_.image.Clear();
    }
    env_.view.ShowFolder(folder, CommandView::TreeFollows::No);
}

void TransferCommands::SurgeonConsole() {
    SurgeonConsoleControl(link_.port, link_.surgeon, SurgeonAddress(), env_.ui.ErrorSink());
}

void TransferCommands::SurgeonPc() {
    SurgeonPcControl(link_.port, link_.surgeon, SurgeonAddress(), env_.ui.ErrorSink());
}

void TransferCommands::SurgeonLoad() {
    if (link_.surgeon.mode != 2 || env_.settings.Surgeon == 0) return;
    const std::string path = env_.view.CurrentPath();
    if (path.empty()) return;
    SurgeonLoadPak(link_.port, link_.surgeon, SurgeonAddress(), path, env_.ui.ErrorSink());
}

void TransferCommands::SurgeonSave() {
    if (link_.surgeon.mode != 2 || env_.settings.Surgeon == 0) return;
    FilePickRequest request;
    request.folder = env_.view.Folder();
    request.defaultExtension = "SAV";
    const std::optional<std::string> path = env_.ui.PickSaveFile(request);
    if (!path) return;
    SurgeonSavePak(link_.port, link_.surgeon, SurgeonAddress(), *path, env_.ui.ErrorSink());
    env_.view.RefreshKeepingSelection();
}

} // namespace q64
