#pragma once
// Save conversion between files: reads the input, tells its format when none
// is named, converts (engine/SaveConversion) and writes the output through the
// file-change mechanism. A container output that exists (a .srm, a
// mupen64plus file of four paks) is updated: only the part converted changes.
// Any other existing output is refused unless the caller says it may be
// replaced (the window, after the user agreed).

#include <optional>
#include <string>

#include "engine/EngineTypes.h"
#include "engine/FileChange.h"
#include "engine/SaveConversion.h"

namespace q64 {

struct SaveFileRequest {
    std::string in;
    std::string out;
    std::optional<SaveFormat> from; // nothing: told from IN's name and bytes
    std::optional<SaveFormat> to;   // nothing: told from OUT's extension (an existing
                                    // .mpk of four paks: m64p-mpk)
    int pak = 1;
    bool force = false;             // convert even when data would be dropped
    ExistingFile existing = ExistingFile::Refuse;
    BackupMode mode = BackupMode::Temporary; // for an updated container
};

struct SaveFileOutcome {
    EngineResult result = EngineResult::Ok;
    std::string message;  // why not; with a forced lossy conversion, what was dropped
    SaveFormat from = SaveFormat::Eep4k;
    SaveFormat to = SaveFormat::Eep4k;
    bool updated = false; // an existing container had its part replaced
    std::string backup;   // the backup the update kept (Keep), else empty
    bool lossy = false;   // the refusal (or the forced conversion) drops data
};

// The format of the save file at `path`, or nothing (with `message`).
std::optional<SaveFormat> DetectSaveFile(const std::string& path, std::string& message);

SaveFileOutcome ConvertSaveFile(const SaveFileRequest& request);

} // namespace q64
