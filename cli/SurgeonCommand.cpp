// q64 surgeon: the four Surgeon64 commands. The adapter's control shadow and
// who controls it carry over from one run to the next in a small state file
// under $XDG_RUNTIME_DIR, so that "pc", "load" and "console" run one after the
// other write what one session of the program would.

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "cli/Cli.h"
#include "cli/TransferSetup.h"
#include "engine/SampleFiles.h"
#include "transfer/SimSurgeon64.h"
#include "transfer/Surgeon64.h"

namespace q64::cli {

namespace {

// The simulated adapter keeps its own file, apart from the real one.
std::string StatePath(bool simulated) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string name = simulated ? "q64-surgeon-sim" : "q64-surgeon";
    if (runtime && *runtime) return std::string(runtime) + "/" + name;
    return "/tmp/" + name + "-" + std::to_string(::getuid());
}

// The saved shadow and mode; the start values when there is none or it is unreadable.
SurgeonState LoadState(bool simulated) {
    SurgeonState state;
    if (std::FILE* f = std::fopen(StatePath(simulated).c_str(), "r")) {
        unsigned shadow = 0;
        int mode = 0;
        if (std::fscanf(f, "%x %d", &shadow, &mode) == 2 && shadow <= 0xFF && (mode == 1 || mode == 2)) {
            state.controlShadow = static_cast<std::uint8_t>(shadow);
            state.mode = mode;
        }
        std::fclose(f);
    }
    return state;
}

void SaveState(const SurgeonState& state, bool simulated) {
    if (std::FILE* f = std::fopen(StatePath(simulated).c_str(), "w")) {
        std::fprintf(f, "%02x %d\n", state.controlShadow, state.mode);
        std::fclose(f);
    }
}

} // namespace

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
    if (!rigging.Build("surgeon", withFile ? std::vector<std::string>{rest[1]} : std::vector<std::string>{})) return 1;
    if (rigging.Surgeon() && !options.simImage.empty()) {
        const samples::Bytes pak = samples::ReadFile(options.simImage);
        if (pak.empty()) {
            std::fprintf(stderr, "q64 surgeon: cannot read --sim-image %s\n", options.simImage.c_str());
            return 1;
        }
        rigging.Surgeon()->SetPak(pak);
    }
    const int address = options.settings.SurgeonAddress;
    SurgeonState state = LoadState(rigging.Simulated());
    if (withFile && state.mode != 2) {
        std::fprintf(stderr, "q64 surgeon: the console controls the Surgeon64; run \"q64 surgeon pc\" first\n");
        return 1;
    }
    TransferConsole console(action == "load" ? "Loading" : "Saving", options.syncTimeoutSeconds);
    const MessageSink sink = console.Sink();
    EngineResult result = EngineResult::Ok;
    if (action == "console") result = SurgeonConsoleControl(rigging.Port(), state, address, sink);
    if (action == "pc") result = SurgeonPcControl(rigging.Port(), state, address, sink);
    const ProgressFn& progress = console.Callbacks().progress;
    if (action == "load") result = SurgeonLoadPak(rigging.Port(), state, address, rest[1], sink, progress);
    if (action == "save") result = SurgeonSavePak(rigging.Port(), state, address, rest[1], sink, progress);
    SaveState(state, rigging.Simulated());
    if (result == EngineResult::Ok && rigging.Surgeon() && action == "load")
        std::printf("simulated Surgeon64 now holds the %zu bytes of %s\n", kMemPakSize, rest[1].c_str());
    if (result == EngineResult::Ok && action == "save") std::printf("%s\n", rest[1].c_str());
    return FinishTransfer("surgeon", result, console, rigging, options);
}

} // namespace q64::cli
