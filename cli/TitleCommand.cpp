// q64 title: "Edit Image Title", writing a new 20-character header title.

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/RomImage.h"
#include "engine/Title.h"
#include "engine/TitleText.h"

namespace q64::cli {

int RunTitle(ArgParser& args) {
    const Command& self = CommandNamed("title");
    const Settings settings = LoadSettings();
    const BackupMode mode = BackupOption(args, settings);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 2) return UsageError(self, "give FILE and TEXT");
    // Characters as a title shows them (ASCII and half-width katakana), not bytes.
    if (CountCharacters(rest[1]) > header::kTitleLength) return UsageError(self, "TEXT has more than 20 characters");
    RomImage image;
    if (!LoadForCommand(self, image, rest[0])) return 1;
    if (RefuseBackupFile(self, rest[0])) return 1;
    const TitleEncoding encoding = EncodeTitle(rest[1], image.TitleField());
    if (!encoding.Ok()) {
        SayAbout(self, rest[0], RefusedTitleMessage(encoding));
        return 1;
    }
    return ExitStatusFor(self, rest[0], EditTitle(image, mode, encoding.bytes));
}

} // namespace q64::cli
