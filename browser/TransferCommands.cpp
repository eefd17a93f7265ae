#include "browser/TransferCommands.h"

#include <cctype>

#include "browser/CommandLoad.h"
#include "browser/ScratchFile.h"
#include "engine/SaveTypeChoice.h"
#include "transfer/Sc64.h"
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
    ConfigureSc64(link_.state, s.SC64Device, sc64SaveType_, s.SC64BootMode, s.SC64TvType);
    ConfigureEd64(link_.state, s.ED64Device, ed64SaveType_);
}

TransferCallbacks TransferCommands::Callbacks(ProgressWindow* window) {
    TransferCallbacks calls;
    if (window) calls.progress = window->Progress();
    lastStep_.clear();
    calls.status = [this](const std::string& text) {
        if (text != kReady) lastStep_ = text;
        env_.ui.SetStatus(link_.simulated && text != kReady ? text + kSimulatedUnitMark : text);
    };
    return calls;
}

void TransferCommands::HintAfterNoAnswer(EngineResult result) {
    if (result != EngineResult::ErrCancelled || lastStep_ != kGettingSync) return;
    const std::string hint = NoAnswerHint(link_.state, link_.port.Backend());
    if (!hint.empty()) env_.ui.ShowMessage(hint, PromptIcon::Information);
}

const RomDatabase* TransferCommands::Database() {
    const std::string& setting = env_.settings.RomDatabase;
    if (databasePath_ != setting) {
        databasePath_ = setting;
        std::string message;
        database_ = LoadRomDatabase(setting, message);
        if (!message.empty()) env_.ui.ShowMessage(message, PromptIcon::Error);
    }
    return database_ ? &*database_ : nullptr;
}

bool TransferCommands::ChooseSaveType(const std::string& path) {
    sc64SaveType_ = 0;
    sc64SaveNote_.clear();
    if (env_.settings.Unit != static_cast<int>(Unit::Sc64)) return true;
    if (path.empty() || env_.image.Identify(path) != EngineResult::Ok) return true; // the send says why
    const bool image = HasImageBit(env_.image.GetKind());
    const std::string cartId = env_.image.CartId();
    env_.image.Clear();
    if (!image) return true; // a SAV file is the cart's EEPROM 4k save
    SaveTypeChoice guess;
    std::string message;
    if (GuessSaveType(path, Database(), {}, guess, message) != EngineResult::Ok) guess = SaveTypeChoice{};
    // What the image says comes first; without it, what the user chose last time.
    const bool known = guess.source == SaveTypeSource::Header || guess.source == SaveTypeSource::Database;
    const auto remembered = env_.settings.SC64SaveTypes.find(cartId);
    const bool fromMemory = !known && remembered != env_.settings.SC64SaveTypes.end();
    const SaveType preset = fromMemory ? SaveTypeOfSc64(remembered->second) : guess.type;
    const std::string reason = fromMemory ? std::string("last chosen for this cart id") : guess.Explanation();
    const std::optional<SaveType> chosen = env_.ui.AskSaveType(preset, reason);
    if (!chosen) return false;
    const SaveTypeChoice used =
        *chosen == guess.type && known ? guess : SaveTypeChoice{*chosen, SaveTypeSource::Chosen, {}};
    sc64SaveType_ = Sc64SaveTypeOf(used.type);
    sc64SaveNote_ = used.Explanation();
    if (!sc64SaveNote_.empty())
        sc64SaveNote_[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sc64SaveNote_[0])));
    env_.settings.SC64SaveTypes[cartId] = sc64SaveType_;
    return true;
}

bool TransferCommands::ChooseEd64SaveType(const std::string& path) {
    ed64SaveType_.reset();
    if (env_.settings.Unit != static_cast<int>(Unit::Ed64) || path.empty()) return true;
    std::string message;
    const std::optional<RomDatabase> database = LoadRomDatabase(env_.settings.RomDatabase, message);
    if (!message.empty()) env_.ui.ShowMessage(message, PromptIcon::Error);
    SaveTypeChoice guess;
    // A file that is no image: the send says why.
    if (GuessSaveType(path, database ? &*database : nullptr, {}, guess, message) != EngineResult::Ok) return true;
    const std::optional<SaveType> chosen = env_.ui.AskEd64SaveType(guess.type, guess.Explanation());
    if (!chosen) return false;
    ed64SaveType_ = *chosen;
    return true;
}

void TransferCommands::Send() { SendFile(env_.view.CurrentPath()); }

void TransferCommands::SendFile(const std::string& path) {
    // A cancelled save type question sends nothing.
    if (!ChooseSaveType(path) || !ChooseEd64SaveType(path)) return;
    EngineResult result = EngineResult::ErrFailed;
    {
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(ProgressCaption::Sending);
        Configure();
        if (LoadForCommand(env_, path) == EngineResult::Ok) {
            result = SendImage(link_.state, link_.port, env_.image, Callbacks(window.get()));
            HintAfterNoAnswer(result);
        }
        env_.image.Clear();
    }
    // Which save type the cart was set to, and why.
    if (result == EngineResult::Ok && !sc64SaveNote_.empty()) env_.ui.SetStatus(sc64SaveNote_ + ". Ready");
    // Nothing on disk changed: the list is not read again.
    env_.view.UpdateSelection();
}

void TransferCommands::Receive() {
    FilePickRequest request;
    request.folder = env_.view.Folder();
    // The USB carts hold the image in big-endian order, and send as much as asked.
    const bool usbCart =
        env_.settings.Unit == static_cast<int>(Unit::Sc64) || env_.settings.Unit == static_cast<int>(Unit::Ed64);
    request.defaultExtension = usbCart ? "z64" : "V64";
    // A cancelled question leaves the list where it was.
    const std::optional<std::string> path = env_.ui.PickSaveFile(request);
    if (!path) return;
    int sizeMbit = 0;
    if (env_.settings.Unit == static_cast<int>(Unit::Cd64) || usbCart) {
        const std::optional<int> size = env_.ui.AskReceiveSizeMbit();
        if (!size) return;
        sizeMbit = *size;
    }
    EngineResult result = EngineResult::ErrFailed;
    {
        const std::unique_ptr<ProgressWindow> window = env_.ui.OpenProgress(ProgressCaption::Receiving);
        Configure();
        env_.image.SetMessageSink(env_.ui.ErrorSink());
        result = ReceiveImage(link_.state, link_.port, env_.image, *path, sizeMbit, Callbacks(window.get()));
        HintAfterNoAnswer(result);
        env_.image.Clear();
    }
    // The tree and the list go together to the received file's folder.
    if (result == EngineResult::Ok)
        env_.view.ShowFile(*path);
    else
        env_.view.RefreshKeepingSelection();
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
    // A DexDrive image holds the pak behind its header: the adapter gets the pak.
    ScratchFile scratch;
    const std::string plain = PlainPakPath(path, scratch, env_.ui.ErrorSink());
    if (!plain.empty()) SurgeonLoadPak(link_.port, link_.surgeon, SurgeonAddress(), plain, env_.ui.ErrorSink());
}

void TransferCommands::SurgeonSave() {
    if (link_.surgeon.mode != 2 || env_.settings.Surgeon == 0) return;
    FilePickRequest request;
    request.folder = env_.view.Folder();
    request.defaultExtension = "SAV";
    request.filter = "Memory Paks (*.SAV;*.MPK)|*.SAV;*.MPK|All Files (*.*)|*.*||";
    const std::optional<std::string> path = env_.ui.PickSaveFile(request);
    if (!path) return;
    SurgeonSavePak(link_.port, link_.surgeon, SurgeonAddress(), *path, env_.ui.ErrorSink());
    env_.view.RefreshKeepingSelection();
}

} // namespace q64
