#pragma once
// The program's commands (their ids are the ones the menus, the tool bar and
// the accelerators share) and the rule that enables and ticks each of them
// from the view state and the settings. Plain data: the frame applies it to
// its actions after every change of the view state.

#include <string>
#include <vector>

#include "settings/Settings.h"

namespace q64 {

enum class CommandId : int {
    Receive = 32771,
    ReSize = 32772,
    ChangeFormat = 32773,
    IpsPatch = 32774,
    CalcCrc = 32775,
    Compress = 32776,
    DeCompress = 32777,
    Send = 32779,
    DeleteFile = 32781,
    ImageFilter = 32783,
    Properties = 32784,
    EditTitle = 32786,
    SurgeonConsole = 32787,
    SurgeonPc = 32788,
    SurgeonLoad = 32789,
    SurgeonSave = 32790,
    Refresh = 32791,
    ViewFile = 32793,
    TuneBios = 32794,
    RomList = 32796,
    RenameFile = 32797,
    ManageDx256 = 32798,
    Cd64SendExecutes = 32799,
    Cd64SendNothing = 32800,
    Cd64FromCart = 32801,
    Cd64FromDram = 32802,
    CreatePatch = 32803,
    VerifyImages = 32804,
    ManageMemoryPak = 32820,
    ConvertSave = 32821,
    Sc64BackupSave = 32822,
    Sc64RestoreSave = 32823,
    About = 57664,
    Exit = 57665,
    Help = 57667,
    ToggleToolBar = 59392,
    ToggleStatusBar = 59393,
};

// Who drives the Surgeon64 adapter; process-wide, never stored.
enum class SurgeonMode : int {
    ConsoleControls = 1,
    PcControls = 2,
};

// One file of a selection of several.
struct SelectedFile {
    int format = 0;       // FileKind bits
    bool isBackup = false;
};

// What every command reads from the view.
struct ViewState {
    int currentFormat = 0;      // FileKind bits of the selected file, 0 for none
    int currentRow = -1;        // -1: nothing selected
    bool currentIsBackup = false;
    bool onCdRom = false;
    int viewerKind = 0;         // 0 none, 1 text viewer, 2 binary viewer
    // Every selected file when more than one is selected (empty otherwise);
    // the fields above then describe the focused row.
    std::vector<SelectedFile> several;
};

struct CommandState {
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    std::string tip; // why a greyed command is greyed, when the menu should say so
    bool operator==(const CommandState&) const = default;
};

// Everything a command's state depends on besides the view.
struct CommandContext {
    const Settings& settings;
    int osKind = 0;             // 0 NT family (no direct port access), 1/2 direct access
    SurgeonMode surgeonMode = SurgeonMode::ConsoleControls;
};

// The enabled and ticked state of `id`. Commands without a rule are always
// enabled; the tool bar and status bar toggles are ticked by the frame itself.
CommandState StateOf(CommandId id, const ViewState& view, const CommandContext& context);

// The commands that apply to each file of a selection of several: Change
// Image Format, Compress, De-Compress, Calculate CRC, Delete File and Verify
// Images. Each is enabled when its own rule enables it for at least one
// selected file (the others are listed as not done, SeveralFilesRefusal);
// the other file commands need exactly one file and are greyed.
bool AppliesToSeveralFiles(CommandId id);

// Why `id` of the commands above leaves `file` of a selection of several
// alone ("not an image", "a backup (.bak) is never changed", ...); empty
// when it takes the file.
std::string SeveralFilesRefusal(CommandId id, const SelectedFile& file, bool onCdRom);

// What View File's tip says while the binary viewer is the desktop's default
// (which would hand an image back to this program).
inline constexpr const char* kNoBinaryViewerTip =
    "Choose a Default Binary Viewer in View, Properties to view images and other binary files";

// Send's own test, also used by a double-click in the list.
bool SendEnabled(const ViewState& view, const Settings& settings);

} // namespace q64
