// q64 ips: applies an IPS patch to an image in place.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/IpsPatch.h"
#include "engine/RomImage.h"

namespace q64::cli {

int RunIps(ArgParser& args) {
    const Command& self = CommandNamed("ips");
    const auto mode = BackupModeOption(args);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 2) return UsageError(self, "give FILE and PATCH");
    const std::string& file = rest[0];
    const std::string& patch = rest[1];

    RomImage image;
    if (!LoadForCommand(self, image, file)) return 1;
    if (image.GetKind() != FileKind::Image) {
        // As the IPS Patch command: offered for uncompressed images only.
        SayAbout(self, file, "not an uncompressed image");
        return 1;
    }
    if (RefuseBackupFile(self, file)) return 1;
    const EngineResult result = ApplyIpsPatch(image, *mode, patch);
    image.Clear();
    return result == EngineResult::Ok ? 0 : 1;
}

} // namespace q64::cli
