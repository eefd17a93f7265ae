#pragma once
// What the command handlers need from the window, as two small interfaces so
// the handlers stay free of widgets: CommandUi asks the user things and shows
// progress, messages and the status text; CommandView is the file list they
// read the selection from and re-list afterwards. The frame implements both
// over its dialogs and its main view; tests implement them with scripted
// answers.

#include <memory>
#include <optional>
#include <string>

#include "settings/Settings.h"
#include "browser/CommandRules.h"
#include "browser/VerifyImages.h"
#include "engine/BiosParameters.h"
#include "engine/EngineTypes.h"
#include "engine/RomImage.h"
#include "engine/SaveConversion.h"
#include "engine/SaveType.h"

namespace q64 {

// Captions of the progress window, by the string ids the window knows them by.
enum class ProgressCaption : int {
    Compressing = 61204,
    DeCompressing = 61206,
    ByteFlipping = 61207,
    ReSize = 61208,
    Receiving = 61209,
    Sending = 61210,
    Verifying = 61211,
    CalculatingCrc = 61212,
    Deleting = 61213,
    CreatingPatch = 61214,
};

enum class PromptIcon { Information, Error, Question };

class Dx256Image;
class Dx256Host;
struct PakFile;
class PakHost;

// What "Convert Save..." asks: the input's format (preset with the one told
// from the file), the output's, and the pak of a container.
struct SaveConversionChoice {
    SaveFormat from = SaveFormat::Eep4k;
    SaveFormat to = SaveFormat::Eep4k;
    int pak = 1;
};

// A file-open or file-save picker's setup. `filter` uses the
// "Text (*.x)|*.x|All Files (*.*)|*.*||" form; empty means no filter list.
struct FilePickRequest {
    std::string title;             // the picker's caption; empty: the picker's own
    std::string folder;            // where it opens; empty: wherever the picker likes
    std::string fileName;          // save only: the name proposed; empty: none
    std::string defaultExtension;  // added to a name typed without one (save only)
    std::string filter;
    bool confirmOverwrite = true;  // save only: ask before an existing file is chosen
};

// One progress window, shown from creation (its owner disabled) until the
// object is destroyed.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // The callback handed to the operation: moves the bar, returns -12 after Cancel.
    virtual ProgressFn Progress() = 0;
    // Names the step shown (a file of several: "NAME (k of n)"); none by default.
    virtual void SetDetail(const std::string& text) { (void)text; }
};

class CommandUi {
public:
    virtual ~CommandUi() = default;

    // A message box captioned "Quorvel64" with an OK button.
    virtual void ShowMessage(const std::string& text, PromptIcon icon) = 0;
    // A message box captioned "Quorvel64" with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text, PromptIcon icon) = 0;
    // The message sink installed before every engine or transfer call.
    virtual MessageSink ErrorSink() = 0;
    // The first pane of the status bar.
    virtual void SetStatus(const std::string& text) = 0;
    // Creates the progress window (range 0..100, step 1) with `caption`.
    virtual std::unique_ptr<ProgressWindow> OpenProgress(ProgressCaption caption) = 0;

    // File pickers: the chosen path, or nothing when cancelled. The open
    // picker takes only an existing file; the save picker asks before
    // overwriting one.
    virtual std::optional<std::string> PickOpenFile(const FilePickRequest& request) = 0;
    virtual std::optional<std::string> PickSaveFile(const FilePickRequest& request) = 0;

    // The small dialogs; nothing when cancelled.
    // The new size in Mbit; the dialog shows `currentBytes`, the image's
    // size now (-1: unknown).
    virtual std::optional<int> AskResizeMbit(std::int64_t currentBytes) = 0;
    virtual std::optional<int> AskReceiveSizeMbit() = 0;
    // The save type of the image about to go to the SummerCart64, preset with
    // `preset`; `reason` says where the preset came from.
    virtual std::optional<SaveType> AskSaveType(SaveType preset, const std::string& reason) = 0;
    // The save type the EverDrive-64 is to give an image, preset with
    // `preset`; `why` says where the preset comes from ("save type EEPROM 4k
    // from the image's header").
    virtual std::optional<SaveType> AskEd64SaveType(SaveType preset, const std::string& why) = 0;
    // The new title as UTF-8 text, preset with `preset` (the title as shown);
    // `originalField` is the header's stored title field, so that a character
    // shown for an undecodable byte may stay (engine/TitleText.h).
    virtual std::optional<std::string> AskTitle(const std::string& preset, const std::string& originalField) = 0;
    virtual std::optional<std::string> AskFilename(const std::string& preset) = 0;
    // The "Tune BIOS Parameters" dialog over the values read from the file;
    // true on OK with the values changed in place.
    virtual bool TuneBios(BiosColour& colour, BiosPosition& position) = 0;
    // The Properties dialog; it writes `settings` itself on OK.
    virtual void EditProperties(Settings& settings) = 0;

    // Starts `program` (found along the search path) without waiting for it,
    // with `argument` as its only argument. False when it cannot be started.
    virtual bool StartProgram(const std::string& program, const std::string& argument) = 0;

    // "Manage DX256 File" over `dx` (changed in memory only); true for
    // "Update File". `host` does the file work the buttons ask for.
    virtual bool ManageDx256(Dx256Image& dx, Dx256Host& host) {
        (void)dx;
        (void)host;
        return false;
    }
    // "Manage Memory Pak" over `pak` (changed in memory only), named `name`;
    // true when the user asks to write it.
    virtual bool ManageMemoryPak(PakFile& pak, const std::string& name, PakHost& host) {
        (void)pak;
        (void)name;
        (void)host;
        return false;
    }
    // "Convert Save..."'s formats; nothing when cancelled.
    virtual std::optional<SaveConversionChoice> AskSaveConversion(const SaveConversionChoice& preset) {
        (void)preset;
        return std::nullopt;
    }

    // The results of "Verify Images", one row per file; true when the user
    // asks to "Rename to DAT Names". (None shown by default.)
    virtual bool ShowVerifyResults(const std::vector<VerifyRow>& rows) {
        (void)rows;
        return false;
    }
};

class CommandView {
public:
    virtual ~CommandView() = default;

    virtual ViewState State() const = 0;
    // The selected file's full path, its row's file name and ROM Name text
    // (all empty when nothing is selected).
    virtual std::string CurrentPath() const = 0;
    virtual std::string CurrentName() const = 0;
    virtual std::string CurrentTitle() const = 0;
    // The folder the list shows, and the list's filter (ListFilter value).
    virtual std::string Folder() const = 0;
    virtual int Filter() const = 0;
    // Every selected file's full path, in list order (the current file's
    // alone when the view knows no other selection).
    virtual std::vector<std::string> SelectedPaths() const {
        const std::string current = CurrentPath();
        return current.empty() ? std::vector<std::string>{} : std::vector<std::string>{current};
    }

    // Lists the folder again and reselects the current file by name.
    virtual void RefreshKeepingSelection() = 0;
    // Reads the selected file again for the panel and the command states.
    virtual void UpdateSelection() = 0;
    // Lists the folder again and selects the first row.
    virtual void FillList() = 0;
    // Lists the folder again and selects the row named `name` (the first
    // row when there is none).
    virtual void FillListSelecting(const std::string& name) = 0;
    // Makes `folder` the working folder and lists it; with TreeFollows::Yes
    // the tree selects it too.
    enum class TreeFollows { No, Yes };
    virtual void ShowFolder(const std::string& folder, TreeFollows tree) = 0;
    // Shows the folder of `path` in the tree and the list, listed afresh,
    // with the file selected.
    virtual void ShowFile(const std::string& path) = 0;
};

// What every handler works with. All references outlive the handlers.
struct CommandEnv {
    RomImage& image;
    Settings& settings;
    CommandView& view;
    CommandUi& ui;
};

} // namespace q64
