// q64 compress and q64 decompress: "Compress" and "De-Compress".

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/Compression.h"
#include "engine/RomImage.h"

namespace q64::cli {

int RunCompress(ArgParser& args) {
    const Command& self = CommandNamed("compress");
    const Settings settings = LoadSettings();
    const BackupMode mode = BackupOption(args, settings);
    const int level = LevelOption(args, settings);
    const std::vector<std::string> files = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (files.size() != 1) return UsageError(self, "give exactly one FILE");
    RomImage image;
    if (!LoadForCommand(self, image, files[0])) return 1;
    return ExitStatusFor(self, files[0], CompressImage(image, level, mode, StderrProgress("Compressing")));
}

int RunDecompress(ArgParser& args) {
    const Command& self = CommandNamed("decompress");
    const Settings settings = LoadSettings();
    const BackupMode mode = BackupOption(args, settings);
    const std::vector<std::string> files = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (files.size() != 1) return UsageError(self, "give exactly one FILE");
    RomImage image;
    if (!LoadForCommand(self, image, files[0])) return 1;
    return ExitStatusFor(self, files[0], DecompressImage(image, mode, StderrProgress("De-Compressing")));
}

} // namespace q64::cli
