// q64 surgeon: the four Surgeon64 commands. The adapter's control shadow and
// who controls it carry over from one run to the next in a small state file
// in the user's private state folder (cli/StateFolder.h), so that "pc", "load"
// and "console" run one after the other write what one session of the program
// would.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browser/ScratchFile.h"
#include "cli/Cli.h"
#include "cli/StateFolder.h"
#include "cli/TransferSetup.h"
#include "engine/FileChange.h"
#include "engine/SampleFiles.h"
#include "transfer/SimSurgeon64.h"
#include "transfer/Surgeon64.h"

namespace q64::cli {

namespace {

constexpr std::size_t kMaxStateSize = 64;

// The state file in the private folder (the simulated adapter keeps its own,
// apart from the real one's); empty, after a message, when there is no such folder.
std::string StatePath(bool simulated) {
    std::string why;
    const std::string folder = PrivateStateFolder(why);
    if (folder.empty()) {
        std::fprintf(stderr, "q64 surgeon: no private folder for the Surgeon64 state: %s\n", why.c_str());
        return {};
    }
    return folder + "/" + (simulated ? "q64-surgeon-sim" : "q64-surgeon");
}

// The saved shadow and mode; the start values when there is none, or it is
// not a plain file (a link is not followed), or it does not read as a state.
SurgeonState LoadState(const std::string& path) {
    SurgeonState state;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return state;
    struct stat info {};
    char text[kMaxStateSize + 1] = {};
    ssize_t n = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        do n = ::read(fd, text, kMaxStateSize);
        while (n < 0 && errno == EINTR);
    }
    ::close(fd);
    unsigned shadow = 0;
    int mode = 0;
    if (n > 0 && std::sscanf(text, "%x %d", &shadow, &mode) == 2 && shadow <= 0xFF && (mode == 1 || mode == 2)) {
        state.controlShadow = static_cast<std::uint8_t>(shadow);
        state.mode = mode;
    }
    return state;
}

// Writes the state through the file-change mechanism. Whatever else is under
// the name in the private folder (a link someone planted, a folder) is not
// followed: a link or another non-folder is removed first, a folder stays
// and the state is not kept. Says on stderr when it could not be kept.
void SaveState(const SurgeonState& state, const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        ::unlink(path.c_str());
    char text[16];
    std::snprintf(text, sizeof text, "%02x %d\n", state.controlShadow, state.mode);
    std::string message;
    if (WriteWholeFile(path, text, ExistingFile::Replace, message) != EngineResult::Ok)
        std::fprintf(stderr, "q64 surgeon: the Surgeon64 state was not kept: %s\n", message.c_str());
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

    const std::string statePath = StatePath(options.port == PortChoice::Simulated);
    if (statePath.empty()) return 1;
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
    SurgeonState state = LoadState(statePath);
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
    ScratchFile scratch; // a DexDrive image's pak, loaded in its place
    if (action == "load") {
        const std::string plain = PlainPakPath(rest[1], scratch, sink);
        result = plain.empty() ? EngineResult::ErrFailed
                               : SurgeonLoadPak(rigging.Port(), state, address, plain, sink, progress);
    }
    if (action == "save") result = SurgeonSavePak(rigging.Port(), state, address, rest[1], sink, progress);
    SaveState(state, statePath);
    if (result == EngineResult::Ok && rigging.Surgeon() && action == "load")
        std::printf("simulated Surgeon64 now holds the %zu bytes of %s\n", kMemPakSize, rest[1].c_str());
    if (result == EngineResult::Ok && action == "save") std::printf("%s\n", rest[1].c_str());
    return FinishTransfer("surgeon", result, console, rigging, options);
}

} // namespace q64::cli
