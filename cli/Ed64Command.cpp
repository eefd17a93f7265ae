// q64 ed64: the EverDrive-64's own command: which bridges are attached and
// what the cart answers to the test.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/TransferSetup.h"
#include "engine/RomImage.h"
#include "transfer/Ed64.h"
#include "transfer/Ed64Devices.h"
#include "transfer/TracingStream.h"
#include "transfer/TransferState.h"

namespace q64::cli {

int RunEd64(ArgParser& args) {
    const Command& self = CommandNamed("ed64");
    TransferOptions options;
    ParseTransferOptions(args, options, static_cast<int>(Unit::Ed64));
    const std::vector<std::string> words = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (words.size() != 1 || words[0] != "info") return UsageError(self, "give info");

    TransferRigging rigging(options);
    if (!rigging.Build("ed64 info", {})) return 1;
    TransferConsole console("Connecting", options.syncTimeoutSeconds);
    RomImage image;
    image.SetMessageSink(console.Sink());
    if (!rigging.Simulated()) {
        const std::vector<std::string> found = FindEd64Devices();
        std::printf("found       %s\n", found.empty() ? "no FT245R bridge (USB 0403:6001 \"FT245R USB FIFO\")" : "");
        for (const std::string& path : found) std::printf("            %s\n", path.c_str());
    }
    TransferState state;
    rigging.ConnectEd64(state);
    std::string message;
    const std::unique_ptr<ByteStream> stream = state.ed64Opener(state.ed64Device, message);
    if (!stream) {
        image.Report(message);
        return FinishTransfer("ed64 info", EngineResult::ErrTransfer, console, rigging, options);
    }
    std::printf("device      %s\n", stream->Name().c_str());
    std::optional<Ed64Answer> answer;
    const EngineResult result = Ed64Probe(Ed64Context{*stream, image, console.Callbacks(), state.ed64Waits}, answer);
    const std::string shown = answer ? StreamTraceLine("", answer->data(), answer->size()).substr(1) : "none";
    std::printf("test answer %s%s\n", shown.c_str(),
                result == EngineResult::Ok ? " (\"cmdr\": an EverDrive-64 at its menu)" : "");
    return FinishTransfer("ed64 info", result, console, rigging, options);
}

} // namespace q64::cli
