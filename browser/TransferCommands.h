#pragma once
// The commands that talk to the units: Send and Receive (progress window
// "Sending" / "Receiving", the transfer state configured from the settings,
// status texts into the status bar) and the four Surgeon64 commands.

#include <optional>
#include <string>

#include "browser/CommandUi.h"
#include "engine/RomDatabase.h"
#include "transfer/ParallelPort.h"
#include "transfer/Surgeon64.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferState.h"

namespace q64 {

// Where the units are reached and the process-wide transfer records; all
// outlive the handlers.
struct TransferLink {
    TransferState& state;
    ParallelPort& port;
    SurgeonState& surgeon;
    int osKind = 0; // 0: through the port driver
    bool simulated = false; // a simulated unit: the status texts say so
};

// Added to a transfer's status texts while the unit is simulated.
inline constexpr const char* kSimulatedUnitMark = " (simulated unit)";

class TransferCommands {
public:
    TransferCommands(CommandEnv env, TransferLink link) : env_(env), link_(link) {}

    // Sends the selected file (Enter runs it whatever the menu says). A send
    // or receive the user gave up while no unit answered the sync ends with a
    // note on what the port driver cannot see, when that may be the reason.
    void Send();
    // Sends the file at `path` as Send sends the selected file.
    void SendFile(const std::string& path);
    // Asks for a file name, starting in the folder shown (and the size for
    // the CD64), receives into it, and shows the received file in its folder,
    // in the tree and the list alike. A cancelled question changes nothing.
    void Receive();

    void SurgeonConsole();
    void SurgeonPc();
    // Loads the selected file into the adapter (a DexDrive image's pak).
    void SurgeonLoad();
    // Asks for a file name (offering the memory pak names) and saves the adapter's pak into it.
    void SurgeonSave();

private:
    void Configure();
    // SummerCart64 only: asks the save type for the image at `path`, preset
    // with the one its header or the ROM database names, else the one last
    // chosen for its cart id, and remembers the answer. False when the
    // question was cancelled.
    bool ChooseSaveType(const std::string& path);
    // The ROM database the settings name, read once per path; null when
    // there is none (a named one that cannot be read is said once).
    const RomDatabase* Database();
    // EverDrive-64 only: asks the save type for the image at `path`, preset
    // with the one its header or the ROM database names. False when the
    // question was cancelled.
    bool ChooseEd64SaveType(const std::string& path);
    TransferCallbacks Callbacks(ProgressWindow* window);
    void HintAfterNoAnswer(EngineResult result);
    int SurgeonAddress() const { return env_.settings.SurgeonAddress; }

    CommandEnv env_;
    TransferLink link_;
    std::string lastStep_; // the last status text before "Ready"
    int sc64SaveType_ = 0;      // the save type chosen for the send under way (the cart's numbering)
    std::string sc64SaveNote_;  // which save type was used and why, for the status bar
    std::optional<RomDatabase> database_;
    std::optional<std::string> databasePath_; // what database_ was read for
    std::optional<SaveType> ed64SaveType_;
};

} // namespace q64
