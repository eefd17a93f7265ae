#include "cli/Cli.h"

namespace q64::cli {

std::optional<BackupMode> BackupModeOption(ArgParser& args) {
    const auto text = args.Value("backup");
    if (!text) return BackupModeFromSetting(LoadSettings().Backup);
    if (*text == "0") return BackupMode::Temporary;
    if (*text == "1") return BackupMode::Keep;
    if (*text == "3") return BackupMode::NoneInPlace;
    args.Fail("--backup takes 0, 1 or 3, not " + *text);
    return std::nullopt;
}

} // namespace q64::cli
