// q64 report: writes the ROM list of a folder as "Produce a &ROM List" does.

#include <cstdio>
#include <sys/stat.h>

#include "browser/CdRomCheck.h"
#include "browser/RomListReport.h"
#include "browser/FileEntry.h"
#include "cli/Cli.h"
#include "engine/RomImage.h"

namespace q64::cli {

int RunReport(ArgParser& args) {
    const Command& self = CommandNamed("report");
    Settings settings = LoadSettings();
    int filter = settings.ListType;
    if (auto f = args.Number("filter")) {
        if (*f < 0 || *f >= kListFilterCount) return UsageError(self, "--filter takes 0 to 9");
        filter = static_cast<int>(*f);
    }
    if (args.Flag("hidden")) settings.Hidden = 1;
    if (args.Flag("no-preview")) settings.PreviewDir = 0;
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 2) return UsageError(self, "give a DIR and an OUTFILE");
    const std::string& folder = rest[0];
    const std::string& outFile = rest[1];

    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "q64 report: %s is not a folder\n", folder.c_str());
        return 1;
    }
    RomImage image;
    const RomListOptions options = RomListOptionsFor(settings, filter, IsOnCdRom(folder));
    const RomListOutcome outcome = ProduceRomList(image, folder, options, outFile, [](const std::string& text) {
        std::fprintf(stderr, "q64 report: %s\n", text.c_str());
    });
    return outcome.result == RomListResult::Written ? 0 : 1;
}

} // namespace q64::cli
