// q64 surgeon: the four Surgeon64 commands.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/TransferSetup.h"
#include "engine/SampleFiles.h"
#include "transfer/SimSurgeon64.h"
#include "transfer/Surgeon64.h"

namespace q64::cli {

int RunSurgeon(ArgParser& args) {
    const Command& self = CommandNamed("surgeon");
    TransferOptions options;
    ParseTransferOptions(args, options);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.empty()) return UsageError(self, "give console, pc, load FILE or save FILE");
    const std::string& action = rest[0];
    const bool withFile = action == "load" || action == "save";
    if (!withFile && action != "console" && action != "pc") return UsageError(self, "unknown action " + action);
    if (rest.size() != (withFile ? 2u : 1u))
        return UsageError(self, withFile ? "give exactly one FILE" : action + " takes no FILE");
    if (options.fault != SimFault::None) return UsageError(self, "--sim-fault does not apply to the Surgeon64");

    TransferRigging rigging(options);
    if (!rigging.Build("surgeon")) return 1;
    if (rigging.Surgeon() && !options.simImage.empty()) {
        const samples::Bytes pak = samples::ReadFile(options.simImage);
        if (pak.empty()) {
            std::fprintf(stderr, "q64 surgeon: cannot read --sim-image %s\n", options.simImage.c_str());
            return 1;
        }
        rigging.Surgeon()->SetPak(pak);
    }
    const int address = options.settings.SurgeonAddress;
    SurgeonState state;
    TransferConsole console(action == "load" ? "Loading" : "Saving", options.syncTimeoutSeconds);
    const MessageSink sink = console.Sink();
    EngineResult result = EngineResult::Ok;
    if (action == "console") result = SurgeonConsoleControl(rigging.Port(), state, address, sink);
    if (action == "pc") result = SurgeonPcControl(rigging.Port(), state, address, sink);
    const ProgressFn& progress = console.Callbacks().progress;
    if (action == "load") result = SurgeonLoadPak(rigging.Port(), state, address, rest[1], sink, progress);
    if (action == "save") result = SurgeonSavePak(rigging.Port(), state, address, rest[1], sink, progress);
    if (result == EngineResult::Ok && rigging.Surgeon() && action == "load")
        std::printf("simulated Surgeon64 now holds the %zu bytes of %s\n", kMemPakSize, rest[1].c_str());
    if (result == EngineResult::Ok && action == "save") std::printf("%s\n", rest[1].c_str());
    return FinishTransfer("surgeon", result, console, rigging, options);
}

} // namespace q64::cli
