#include "browser/SaveCommands.h"

#include "browser/CommandLoad.h"
#include "browser/SaveManagerHosts.h"
#include "browser/ScratchFile.h"
#include "engine/Dx256File.h"
#include "engine/FileChange.h"
#include "engine/MemoryPakFile.h"
#include "engine/OperationIo.h"
#include "engine/PathNames.h"
#include "engine/SaveFileConversion.h"
#include "transfer/TransferState.h"

namespace q64 {

namespace {

constexpr std::size_t kMaxNoteFile = 1u << 20;

// Reads a file the user picked, of at most `limit` bytes; nothing (after a message) when it cannot.
std::optional<std::vector<std::uint8_t>> ReadPicked(CommandUi& ui, const std::string& path, std::size_t limit,
                                                    const char* what) {
    std::vector<std::uint8_t> bytes;
    bool tooLarge = false;
    std::string message;
    if (!ReadWholeFile(path, limit, bytes, tooLarge, message)) {
        ui.ShowMessage(tooLarge ? path + " is not " + what : message, PromptIcon::Error);
        return std::nullopt;
    }
    return bytes;
}

// Writes a file the user named in a save picker (which asked before an existing one).
void WritePicked(CommandUi& ui, const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string message;
    if (WriteWholeFile(path, bytes, ExistingFile::Replace, message) != EngineResult::Ok)
        ui.ShowMessage("Unable to write " + path + (message.empty() ? "" : ": " + message), PromptIcon::Error);
    else
        ui.SetStatus("Wrote " + path);
}

class Dx256Files final : public Dx256Host {
public:
    Dx256Files(CommandEnv env, TransferCommands* transfers, std::string dxPath)
        : env_(env), transfers_(transfers), dxPath_(std::move(dxPath)) {}

    std::optional<std::vector<std::uint8_t>> LoadSav() override {
        FilePickRequest request;
        request.folder = FolderOf(dxPath_);
        request.filter = kSavFilter;
        const std::optional<std::string> path = env_.ui.PickOpenFile(request);
        if (!path) return std::nullopt;
        auto bytes = ReadPicked(env_.ui, *path, dx256::kRoomSize, "a save of 512 bytes");
        if (bytes && bytes->size() != dx256::kRoomSize) {
            env_.ui.ShowMessage(*path + " is not a save of 512 bytes", PromptIcon::Error);
            return std::nullopt;
        }
        return bytes;
    }

    void SaveSav(const std::string& room, const std::vector<std::uint8_t>& bytes) override {
        FilePickRequest request;
        request.folder = FolderOf(dxPath_);
        request.defaultExtension = "SAV";
        request.filter = kSavFilter;
        request.fileName = room + ".SAV";
        if (const std::optional<std::string> path = env_.ui.PickSaveFile(request)) WritePicked(env_.ui, *path, bytes);
    }

    // A SAV file goes to a Doctor V64 or becomes a SummerCart64's EEPROM; only
    // the Doctor V64 takes a DX256 file.
    bool CanSendSav() const override {
        return transfers_ && (env_.settings.Unit == static_cast<int>(Unit::DoctorV64) ||
                              env_.settings.Unit == static_cast<int>(Unit::Sc64));
    }
    bool CanSendDx256() const override {
        return transfers_ && env_.settings.Unit == static_cast<int>(Unit::DoctorV64);
    }

    void SendSav(const std::string& room, const std::vector<std::uint8_t>& bytes) override {
        Send(room + ".SAV", bytes);
    }
    void SendDx256(const std::vector<std::uint8_t>& bytes) override { Send(NameOf(dxPath_), bytes); }

private:
    // What is sent is what the dialog holds, changed or not: a copy in a private folder.
    void Send(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        if (!transfers_) return;
        ScratchFile scratch;
        const std::string path = scratch.Put(name, bytes, env_.ui.ErrorSink());
        if (!path.empty()) transfers_->SendFile(path);
    }

    CommandEnv env_;
    TransferCommands* transfers_;
    std::string dxPath_;
};

class PakFiles final : public PakHost {
public:
    PakFiles(CommandEnv env, std::string folder) : env_(env), folder_(std::move(folder)) {}

    std::optional<std::vector<std::uint8_t>> LoadNote() override {
        FilePickRequest request;
        request.folder = folder_;
        request.filter = kNoteFilter;
        const std::optional<std::string> path = env_.ui.PickOpenFile(request);
        if (!path) return std::nullopt;
        return ReadPicked(env_.ui, *path, kMaxNoteFile, "a note file");
    }

    void SaveNote(const std::string& proposed, const std::vector<std::uint8_t>& bytes) override {
        FilePickRequest request;
        request.folder = folder_;
        request.defaultExtension = "note";
        request.filter = kNoteFilter;
        request.fileName = proposed;
        if (const std::optional<std::string> path = env_.ui.PickSaveFile(request)) WritePicked(env_.ui, *path, bytes);
    }

private:
    CommandEnv env_;
    std::string folder_;
};

// Where a save usually goes from its format: cart order to the RetroArch
// container, everything else to cart order.
SaveFormat UsualTarget(SaveFormat from) {
    switch (from) {
    case SaveFormat::Eep4k:
    case SaveFormat::Eep16k:
    case SaveFormat::Sra:
    case SaveFormat::Fla:
    case SaveFormat::Mpk: return SaveFormat::Srm;
    case SaveFormat::Srm:
    case SaveFormat::M64pEep:
    case SaveFormat::Pj64Eep: return SaveFormat::Eep4k;
    case SaveFormat::M64pSra:
    case SaveFormat::Pj64Sra: return SaveFormat::Sra;
    case SaveFormat::M64pFla:
    case SaveFormat::Pj64Fla: return SaveFormat::Fla;
    case SaveFormat::DexDrive:
    case SaveFormat::M64pMpk:
    case SaveFormat::Pj64Mpk: return SaveFormat::Mpk;
    }
    return SaveFormat::Srm;
}

std::string Stem(const std::string& path) {
    const std::string name = NameOf(path);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

void SaveCommands::ManageDx256() {
    const std::string path = env_.view.CurrentPath();
    if (path.empty()) return;
    std::vector<std::string> backups;
    Dx256Image dx;
    dx.SetMessageSink(env_.ui.ErrorSink());
    if (dx.LoadDx256(path) == Dx256LoadResult::Loaded) {
        Dx256Files host(env_, transfers_, path);
        if (env_.ui.ManageDx256(dx, host) && dx.HasChanges() && dx.Save(Mode()) == EngineResult::Ok)
            backups = dx.LastBackups();
    }
    env_.view.RefreshKeepingSelection();
    SayBackups(env_, backups);
}

void SaveCommands::ManageMemoryPak() {
    const std::string path = env_.view.CurrentPath();
    if (path.empty()) return;
    PakFile file;
    std::string message;
    if (ReadPakFile(path, file, message) != EngineResult::Ok) {
        env_.ui.ShowMessage(message, PromptIcon::Error);
        return;
    }
    PakFiles host(env_, env_.view.Folder());
    std::string backup;
    if (env_.ui.ManageMemoryPak(file, NameOf(path), host) &&
        RewritePakFile(path, file, Mode(), message, &backup) != EngineResult::Ok)
        env_.ui.ShowMessage("Unable to write " + path + (message.empty() ? "" : ": " + message), PromptIcon::Error);
    env_.view.RefreshKeepingSelection();
    SayBackup(env_, backup);
}

void SaveCommands::ConvertSave() {
    const std::string path = env_.view.CurrentPath();
    if (path.empty()) return;
    std::string message;
    SaveConversionChoice preset;
    if (const std::optional<SaveFormat> from = DetectSaveFile(path, message)) preset.from = *from;
    preset.to = UsualTarget(preset.from);
    const std::optional<SaveConversionChoice> choice = env_.ui.AskSaveConversion(preset);
    if (!choice) return;

    FilePickRequest pick;
    pick.folder = env_.view.Folder();
    pick.defaultExtension = InfoOf(choice->to).extension;
    pick.fileName = Stem(path) + "." + pick.defaultExtension;
    // An existing container (.srm, four paks) is updated, not replaced: nothing to ask.
    pick.confirmOverwrite = !IsContainer(choice->to);
    const std::optional<std::string> out = env_.ui.PickSaveFile(pick);
    if (!out) return;

    SaveFileRequest request;
    request.in = path;
    request.out = *out;
    request.from = choice->from;
    request.to = choice->to;
    request.pak = choice->pak;
    request.existing = ExistingFile::Replace; // the picker asked
    request.mode = Mode();
    SaveFileOutcome outcome = ConvertSaveFile(request);
    if (outcome.result != EngineResult::Ok && outcome.lossy &&
        env_.ui.AskYesNo("Converting " + NameOf(path) + " would drop data: " + outcome.message +
                             ".\n\nConvert anyway?",
                         PromptIcon::Question)) {
        request.force = true;
        outcome = ConvertSaveFile(request);
    }
    if (outcome.result == EngineResult::Ok)
        env_.ui.SetStatus(NameOf(path) + " converted to " + NameOf(*out) + " (" + InfoOf(outcome.to).description +
                          (outcome.updated ? ", part updated)" : ")") +
                          (outcome.backup.empty() ? "" : "; backup saved as " + NameOf(outcome.backup)));
    else if (!outcome.lossy)
        env_.ui.ShowMessage("Unable to convert " + NameOf(path) + ": " + outcome.message, PromptIcon::Error);
    env_.view.RefreshKeepingSelection();
}

} // namespace q64
