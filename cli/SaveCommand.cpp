// q64 save convert: a cart or Controller Pak save between the files that hold
// it (cart order, emulators' files, the RetroArch .srm, DexDrive images).

#include <cstdio>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/SaveFileConversion.h"

namespace q64::cli {

namespace {

std::optional<SaveFormat> FormatOption(ArgParser& args, const char* name) {
    const auto key = args.Value(name);
    if (!key) return std::nullopt;
    const auto format = SaveFormatFromKey(*key);
    if (!format) args.Fail("unknown format " + *key + " (q64 save --help lists them)");
    return format;
}

} // namespace

int RunSave(ArgParser& args) {
    const Command& self = CommandNamed("save");
    SaveFileRequest request;
    request.from = FormatOption(args, "from");
    request.to = FormatOption(args, "to");
    if (const auto pak = args.Number("pak")) {
        if (*pak < 1 || *pak > 4) args.Fail("--pak is 1, 2, 3 or 4");
        request.pak = static_cast<int>(*pak);
    }
    request.force = args.Flag("force");
    request.mode = BackupOption(args, LoadSettings());
    const std::vector<std::string> words = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (words.empty() || words[0] != "convert") return UsageError(self, "give convert IN OUT");
    if (words.size() != 3) return UsageError(self, "give convert IN OUT");
    request.in = words[1];
    request.out = words[2];

    const SaveFileOutcome outcome = ConvertSaveFile(request);
    if (outcome.result != EngineResult::Ok) {
        std::fprintf(stderr, "q64 save: %s%s\n", outcome.message.c_str(),
                     outcome.lossy ? " (--force converts all the same)" : "");
        return 1;
    }
    if (outcome.lossy) std::fprintf(stderr, "q64 save: forced: %s\n", outcome.message.c_str());
    SayBackup(self, request.out, outcome.backup);
    std::printf("%s (%s) -> %s (%s%s)\n", request.in.c_str(), InfoOf(outcome.from).key, request.out.c_str(),
                InfoOf(outcome.to).key, outcome.updated ? ", updated" : "");
    return 0;
}

} // namespace q64::cli
