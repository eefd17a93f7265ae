#pragma once
// The commands that change or check the selected image: Compress,
// De-Compress, Change Image Format, Re-Size (each with a progress window),
// Calculate CRC with its offer to fix, Edit Image Title, IPS Patch and Tune
// BIOS. Each asks what it needs through the CommandUi, runs one engine
// operation with the "Backup" mode (and the "Compress" level), clears the
// image and re-lists the folder keeping the selection. Failures are told by
// the engine through the message sink; the handler then finishes its steps.

#include <functional>

#include "browser/CommandUi.h"

namespace q64 {

// The three texts of Calculate CRC.
inline constexpr const char* kValidChecksumText = "Valid Checksum Found\n0x%08X:0x%08X";
inline constexpr const char* kInvalidChecksumText = "Invalid Checksum Found\nOriginal\t0x%08X:0x%08X\nNew\t0x%08X:0x%08X";
inline constexpr const char* kFixQuestionText = "\n\nDo you want to Fix it ?";
inline constexpr const char* kIpsFilter = "IPS Files (*.IPS)|*.IPS|All Files (*.*)|*.*||";

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
    void TuneBios();

private:
    // Progress window, load, operation, clear, close, re-list.
    void RunWithProgress(ProgressCaption caption, const std::function<EngineResult(const ProgressFn&)>& operation);
    BackupMode Mode() const { return BackupModeFromSetting(env_.settings.Backup); }

    CommandEnv env_;
};

} // namespace q64
