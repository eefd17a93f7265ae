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

// What the summary after "Rename to DAT Names" says.
std::string RenameSummary(const std::vector<RenameRow>& renamed);

} // namespace q64
