#include "browser/CommandRules.h"

#include "browser/FileCommands.h"

namespace q64 {

namespace {

constexpr int kImage = 0x01;
constexpr int kCompressed = 0x10;
constexpr int kBios = 0x04;
constexpr int kTagged = 0x80;
constexpr int kSav = 0x40;
constexpr int kSendable = 0x01 | 0x04 | 0x08 | 0x40 | 0x200;
constexpr int kSc64Unit = 3;
constexpr int kDx256 = static_cast<int>(FileKind::Dx256);
constexpr int kMemoryPak = static_cast<int>(FileKind::MemoryPak);
constexpr int kGameSave = static_cast<int>(FileKind::GameSave);
constexpr int kEd64Unit = 4;

CommandState Enabled(bool on) { return CommandState{on, false, false, {}}; }
CommandState Ticked(bool on, bool ticked) { return CommandState{on, true, ticked, {}}; }

} // namespace

bool SendEnabled(const ViewState& v, const Settings& s) {
    const bool selected = v.currentRow != -1;
    // The SummerCart64 takes images (plain or compressed) and SAV files.
    if (s.Unit == kSc64Unit) return selected && (v.currentFormat & (kImage | kSav)) != 0;
    // The EverDrive-64 takes images (plain or compressed) only.
    if (s.Unit == kEd64Unit) return selected && (v.currentFormat & kImage) != 0;
    return selected && ((v.currentFormat & kSendable) != 0 || ((v.currentFormat & kTagged) != 0 && s.Unit == 0));
}

bool AppliesToSeveralFiles(CommandId id) {
    switch (id) {
    case CommandId::ChangeFormat:
    case CommandId::Compress:
    case CommandId::DeCompress:
    case CommandId::CalcCrc:
    case CommandId::DeleteFile:
    case CommandId::VerifyImages: return true;
    default: return false;
    }
}

std::string SeveralFilesRefusal(CommandId id, const SelectedFile& file, bool onCdRom) {
    const bool image = (file.format & kImage) != 0;
    const bool compressed = (file.format & kCompressed) != 0;
    const bool changes = id != CommandId::CalcCrc && id != CommandId::VerifyImages;
    switch (id) {
    case CommandId::ChangeFormat:
    case CommandId::Compress:
    case CommandId::CalcCrc:
        if (!image) return "not an image";
        if (compressed) return "compressed (De-Compress it first)";
        break;
    case CommandId::DeCompress:
        if (!image || !compressed) return "not a compressed image";
        break;
    case CommandId::DeleteFile: return onCdRom ? "on a CD-ROM" : "";
    default: return {};
    }
    if (file.isBackup) return id == CommandId::CalcCrc ? "a backup (.bak): check its original" : "a backup (.bak) is never changed";
    if (changes && onCdRom) return "on a CD-ROM";
    return {};
}

namespace {

// Commands about one file, greyed while several are selected.
bool NeedsOneFile(CommandId id) {
    switch (id) {
    case CommandId::Send:
    case CommandId::ReSize:
    case CommandId::IpsPatch:
    case CommandId::CreatePatch:
    case CommandId::EditTitle:
    case CommandId::ViewFile:
    case CommandId::RenameFile:
    case CommandId::TuneBios:
    case CommandId::ManageDx256:
    case CommandId::ManageMemoryPak:
    case CommandId::ConvertSave:
    case CommandId::Sc64RestoreSave: return true;
    default: return false;
    }
}

} // namespace

CommandState StateOf(CommandId id, const ViewState& v, const CommandContext& c) {
    if (v.several.size() > 1) {
        if (NeedsOneFile(id)) return Enabled(false);
        if (AppliesToSeveralFiles(id)) {
            for (const SelectedFile& file : v.several)
                if (SeveralFilesRefusal(id, file, v.onCdRom).empty()) return Enabled(true);
            return Enabled(false);
        }
    }
    const Settings& s = c.settings;
    const int f = v.currentFormat;
    const bool selected = v.currentRow != -1;
    const bool changeable = !v.currentIsBackup && !v.onCdRom;
    const bool plainImage = (f & kImage) != 0 && (f & kCompressed) == 0;
    const bool surgeon = s.Surgeon != 0;
    const bool pcMode = c.surgeonMode == SurgeonMode::PcControls;
    switch (id) {
    case CommandId::Send: return Enabled(SendEnabled(v, s));
    // The EverDrive-64's ROM read is the maker's tool's "-drom".
    case CommandId::Receive:
        return Enabled(s.Unit == 0 || (s.Unit == 2 && c.osKind > 0) || s.Unit == kSc64Unit || s.Unit == kEd64Unit);
    case CommandId::ReSize:
    case CommandId::ChangeFormat:
    case CommandId::IpsPatch:
    case CommandId::Compress: return Enabled(selected && plainImage && changeable);
    case CommandId::CalcCrc: return Enabled(selected && plainImage && !v.currentIsBackup);
    // Reads the image only: a backup or a file on a CD-ROM may be the original.
    case CommandId::CreatePatch: return Enabled(selected && plainImage);
    case CommandId::DeCompress: return Enabled(selected && (f & kImage) && (f & kCompressed) && changeable);
    case CommandId::EditTitle: return Enabled((f & kImage) && changeable);
    case CommandId::ViewFile:
        // The desktop opener would hand an image back to this program, the
        // default application for it: binary files need a viewer of their own.
        if (v.viewerKind == 2 && IsDesktopDefaultViewer(s.DefBView)) {
            CommandState greyed = Enabled(false);
            greyed.tip = kNoBinaryViewerTip;
            return greyed;
        }
        return Enabled(v.viewerKind != 0);
    case CommandId::RenameFile:
    case CommandId::DeleteFile: return Enabled(selected && !v.onCdRom);
    case CommandId::TuneBios: return Enabled((f & kBios) && changeable);
    // The managers change the file; conversion only reads the selected save.
    case CommandId::ManageDx256: return Enabled(selected && (f & kDx256) && changeable);
    case CommandId::ManageMemoryPak: return Enabled(selected && (f & kMemoryPak) && changeable);
    case CommandId::ConvertSave: return Enabled(selected && (f & (kSav | kMemoryPak | kGameSave)));
    case CommandId::Sc64BackupSave: return Enabled(s.Unit == kSc64Unit);
    case CommandId::Sc64RestoreSave: return Enabled(s.Unit == kSc64Unit && selected && (f & (kSav | kGameSave)));
    case CommandId::Cd64SendExecutes: return Ticked(s.Unit == 2, s.CD64Comm == 'X');
    case CommandId::Cd64SendNothing: return Ticked(s.Unit == 2, s.CD64Comm == 'T');
    case CommandId::Cd64FromCart: return Ticked(s.Unit == 2, s.CD64ReceiveType == 0);
    case CommandId::Cd64FromDram: return Ticked(s.Unit == 2, s.CD64ReceiveType == 1);
    case CommandId::SurgeonConsole: return Ticked(surgeon, c.surgeonMode == SurgeonMode::ConsoleControls);
    case CommandId::SurgeonPc: return Ticked(surgeon, pcMode);
    case CommandId::SurgeonLoad:
    case CommandId::SurgeonSave: return Enabled(surgeon && pcMode);
    case CommandId::ImageFilter:
    case CommandId::Properties:
    case CommandId::Refresh:
    case CommandId::RomList:
    case CommandId::About:
    case CommandId::Exit:
    case CommandId::Help:
    case CommandId::ToggleToolBar:
    case CommandId::ToggleStatusBar: return Enabled(true);
    // The selected file, or the whole folder when none is selected.
    case CommandId::VerifyImages: return Enabled(true);
    }
    return Enabled(true);
}

} // namespace q64
