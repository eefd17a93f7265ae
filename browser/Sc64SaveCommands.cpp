#include "browser/Sc64SaveCommands.h"

#include "engine/PathNames.h"
#include "transfer/Sc64.h"
#include "transfer/Transfer.h"

namespace q64 {

namespace {

// Opens the cart the settings name and runs `operation` on it; `failure`
// when it cannot be opened (after saying why).
template <typename Operation>
EngineResult OnCart(CommandEnv& env, TransferLink& link, ProgressWindow* window, EngineResult failure,
                    Operation operation) {
    ConfigureSc64(link.state, env.settings.SC64Device, 0, env.settings.SC64BootMode, env.settings.SC64TvType);
    env.image.SetMessageSink(env.ui.ErrorSink());
    TransferCallbacks calls;
    if (window) calls.progress = window->Progress();
    calls.status = [&env](const std::string& text) { env.ui.SetStatus(text); };
    return WithSc64(link.state, env.image, calls, failure, operation);
}

} // namespace

void Sc64SaveCommands::Backup() {
    FilePickRequest request;
    request.folder = env_.view.Folder();
    request.filter = kCartSaveFilter;
    const std::optional<std::string> path = env_.ui.PickSaveFile(request);
    if (!path) return;
    {
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(ProgressCaption::Receiving);
        OnCart(env_, link_, window.get(), EngineResult::ErrReceive,
               [&](const Sc64Context& ctx) { return Sc64BackupSave(ctx, *path, std::nullopt); });
        env_.image.Clear();
    }
    env_.view.RefreshKeepingSelection();
}

void Sc64SaveCommands::Restore() {
    const std::string path = env_.view.CurrentPath();
    if (path.empty()) return;
    // The cart holds the only copy of what the game saved since the last backup.
    if (!env_.ui.AskYesNo("Write " + NameOf(path) +
                              " into the SummerCart64?\n\nThe save on the cart is replaced; back it up first "
                              "to keep it.",
                          PromptIcon::Question))
        return;
    {
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(ProgressCaption::Sending);
        OnCart(env_, link_, window.get(), EngineResult::ErrTransfer,
               [&](const Sc64Context& ctx) { return Sc64RestoreSave(ctx, path, std::nullopt); });
        env_.image.Clear();
    }
    env_.view.UpdateSelection();
}

} // namespace q64
