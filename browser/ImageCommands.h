#pragma once
// The commands that change or check the selected image: Compress,
// De-Compress, Change Image Format (which renames GAME.z64, .v64 or .n64 to
// the extension of the new order), Re-Size (each with a progress window),
// Calculate CRC with its offer to fix, Edit Image Title, IPS Patch (IPS or
// BPS), Create Patch and Tune BIOS. Each asks what it needs through the
// CommandUi, runs one engine operation with the "Backup" mode (and the
// "Compress" level), clears the image, re-lists the folder keeping the
// selection and names the backup kept in the status bar. Failures are told by the engine through the message sink; the
// handler then finishes its steps.

#include <functional>

#include "browser/CommandUi.h"
#include "engine/Patches.h"

namespace q64 {

// The three texts of Calculate CRC.
inline constexpr const char* kValidChecksumText = "Valid Checksum Found\n0x%08X:0x%08X";
inline constexpr const char* kInvalidChecksumText = "Invalid Checksum Found\nOriginal\t0x%08X:0x%08X\nNew\t0x%08X:0x%08X";
inline constexpr const char* kFixQuestionText = "\n\nDo you want to Fix it ?";
// IPS Patch's picker offers both kinds of patch.
inline constexpr const char* kPatchOpenFilter =
    "Patch Files (*.IPS;*.BPS)|*.IPS;*.BPS|IPS Files (*.IPS)|*.IPS|BPS Files (*.BPS)|*.BPS|All Files (*.*)|*.*||";
// Create Patch asks for the modified image, then for the patch's name (its
// extension chooses the kind), and says when the patch was written.
inline constexpr const char* kModifiedImageTitle = "Select the Modified Image";
inline constexpr const char* kPatchCreatedText = "Patch Created\n%s";
inline constexpr const char* kModifiedImageFilter =
    "Image Files (*.V64;*.Z64;*.N64;*.ROM)|*.V64;*.Z64;*.N64;*.ROM|All Files (*.*)|*.*||";
inline constexpr const char* kPatchSaveFilter =
    "Patch Files (*.IPS;*.BPS)|*.IPS;*.BPS|IPS Files (*.IPS)|*.IPS|BPS Files (*.BPS)|*.BPS|All Files (*.*)|*.*||";

// Re-Size to a size smaller than the image asks first, naming what is cut off.
inline constexpr const char* kResizeCutText =
    "Re-Size to %.0f MBit cuts the last %.1f MBit (%lld bytes) off %s.\n\nCut the image?";
std::string ResizeCutQuestion(const std::string& name, std::int64_t currentBytes, std::int64_t newBytes);
// What the status bar says after Change Image Format renamed the file.
std::string RenamedStatusText(const std::string& oldPath, const std::string& newPath, const std::string& backupPath);
// The name Create Patch proposes: the modified image's name with ".ips" or ".bps".
std::string PatchNameFor(const std::string& modifiedPath, PatchKind kind);

class ImageCommands {
public:
    explicit ImageCommands(CommandEnv env) : env_(env) {}

    void Compress();
    void DeCompress();
    void ChangeFormat();
    void ReSize();
    void CalculateCrc();
    void EditTitle();
    void IpsPatch();
    void CreatePatch();
    void TuneBios();

private:
    // Progress window, load, operation, clear, close, re-list.
    void RunWithProgress(ProgressCaption caption, const std::function<EngineResult(const ProgressFn&)>& operation);
    BackupMode Mode() const { return BackupModeFromSetting(env_.settings.Backup); }

    CommandEnv env_;
};

} // namespace q64
