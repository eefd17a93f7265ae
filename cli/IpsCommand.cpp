// q64 ips: applies an IPS patch to an image in place.

#include <cstdio>

#include "cli/Cli.h"
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
    image.SetMessageSink(StderrSink());
    if (image.Identify(file) != EngineResult::Ok || image.GetKind() != FileKind::Image) {
        // As the IPS Patch command: offered for uncompressed images only.
        std::fprintf(stderr, "q64 ips: %s is not an uncompressed image\n", file.c_str());
        return 1;
    }
    const EngineResult result = ApplyIpsPatch(image, *mode, patch);
    image.Clear();
    return result == EngineResult::Ok ? 0 : 1;
}

} // namespace q64::cli
