#pragma once
// The "Verify Images" command: the selected file (the whole folder when none
// is selected) compared with the "DatFile" list, one progress window, the
// results list and, on request, "Rename to DAT Names".

#include "browser/CommandUi.h"
#include "browser/VerifyImages.h"

namespace q64 {

inline constexpr const char* kNoDatFile = "No DAT File is Set.\nChoose one under DAT File in Properties.";

class VerifyCommand {
public:
    // `cache` may be null (no cache).
    VerifyCommand(CommandEnv env, HashCache* cache) : env_(env), cache_(cache) {}
    void Verify();

private:
    CommandEnv env_;
    HashCache* cache_;
};

// The files among `paths` that the DAT file set in "DatFile" calls good
// although their header checksum pair is not the computed one: they are as
// released and must not be fixed. Empty without a DAT file, or when it
// cannot be read. `cache` may be null.
std::vector<std::string> GoodWithInvalidChecksum(const Settings& settings, const std::vector<std::string>& paths,
                                                 HashCache* cache);

// What Calculate CRC says of such a file.
inline constexpr const char* kReleasedChecksumNote = "checksum invalid as released, do not fix";

// What the summary after "Rename to DAT Names" says.
std::string RenameSummary(const std::vector<RenameRow>& renamed);

} // namespace q64
