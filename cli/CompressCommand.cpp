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
    return RunOnEachImage(self, args, [&](RomImage& image) {
        return CompressImage(image, level, mode, StderrProgress("Compressing"));
    });
}

int RunDecompress(ArgParser& args) {
    const Command& self = CommandNamed("decompress");
    const Settings settings = LoadSettings();
    const BackupMode mode = BackupOption(args, settings);
    return RunOnEachImage(self, args, [&](RomImage& image) {
        return DecompressImage(image, mode, StderrProgress("De-Compressing"));
    });
}

} // namespace q64::cli
