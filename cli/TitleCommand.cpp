// q64 title: "Edit Image Title", writing a new 20-character header title.

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/RomImage.h"
#include "engine/Title.h"

namespace q64::cli {

int RunTitle(ArgParser& args) {
    const Command& self = CommandNamed("title");
    const Settings settings = LoadSettings();
    const BackupMode mode = BackupOption(args, settings);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 2) return UsageError(self, "give FILE and TEXT");
    if (rest[1].size() > header::kTitleLength) return UsageError(self, "TEXT has more than 20 characters");
    RomImage image;
    if (!LoadForCommand(self, image, rest[0])) return 1;
    return ExitStatusFor(self, rest[0], EditTitle(image, mode, rest[1]));
}

} // namespace q64::cli
