#pragma once
// The commands on save files: "Manage DX256 File", "Manage Memory Pak" and
// "Convert Save...". The managers load the selected file, let their dialog
// change it in memory, and write it through the file-change mechanism (with
// the "Backup" mode) only when the user asks; the list is read again after.

#include <string>

#include "browser/CommandUi.h"
#include "browser/TransferCommands.h"

namespace q64 {

// The pickers' filters.
inline constexpr const char* kSavFilter = "SAV Files (*.SAV)|*.SAV|All Files (*.*)|*.*||";
inline constexpr const char* kNoteFilter = "Note Files (*.note)|*.note|All Files (*.*)|*.*||";
inline constexpr const char* kMemoryPakFilter =
    "Memory Paks (*.MPK;*.SAV;*.N64)|*.MPK;*.SAV;*.N64|All Files (*.*)|*.*||";

class SaveCommands {
public:
    // `transfers`, when given, sends what the DX256 manager's Send buttons ask.
    SaveCommands(CommandEnv env, TransferCommands* transfers = nullptr) : env_(env), transfers_(transfers) {}

    void ManageDx256();
    void ManageMemoryPak();
    // Asks the formats (the input's preset from the file), then the output's
    // name, converts; a conversion that would drop data is done only when the
    // user agrees.
    void ConvertSave();

private:
    BackupMode Mode() const { return BackupModeFromSetting(env_.settings.Backup); }

    CommandEnv env_;
    TransferCommands* transfers_;
};

} // namespace q64
