#include "cli/TransferSetup.h"

#include <csignal>
#include <cstdio>
#include <sys/stat.h>

#include "cli/Interrupt.h"
#include "cli/Services.h"
#include "engine/FileChange.h"
#include "engine/SampleFiles.h"
#include "engine/SaveTypeChoice.h"
#include "transfer/Ed64Devices.h"
#include "transfer/DirectPortBackend.h"
#include "transfer/PpdevPortBackend.h"
#include "transfer/Sc64.h"
#include "transfer/Sc64Devices.h"
#include "transfer/SimCd64.h"
#include "transfer/SimDoctorV64.h"
#include "transfer/SimSp64.h"
#include "transfer/SimSurgeon64.h"
#include "transfer/TracingStream.h"
#include "transfer/Transfer.h"
#include "transfer/TransferState.h"

namespace q64::cli {

namespace {

// Why the SummerCart64's stream trace may not go to `trace` (empty: it may):
// a symbolic link, one of `keepAway`, or an existing file that is not a trace.
std::string StreamTraceRefusal(const std::string& trace, const std::vector<std::string>& keepAway) {
    if (trace.empty()) return {};
    struct stat info {};
    if (::lstat(trace.c_str(), &info) != 0) return TraceConflict(trace, keepAway);
    if (S_ISLNK(info.st_mode)) return "it is a symbolic link";
    if (std::string why = TraceConflict(trace, keepAway); !why.empty()) return why;
    if (!S_ISREG(info.st_mode) || info.st_size == 0) return {}; // the file-change mechanism refuses what is no file
    std::string head(64, '\0');
    std::FILE* f = OpenForReading(trace);
    if (!f) return "it cannot be read";
    head.resize(std::fread(head.data(), 1, head.size(), f));
    std::fclose(f);
    if (StartsWithStreamTraceLine(head) || StartsWithTraceLine(head)) return {};
    return "it exists and is not a trace; it was left as it is";
}

std::optional<int> ParseAddress(ArgParser& args, const char* name) {
    const auto value = args.Number(name);
    if (!value) return std::nullopt;
    if (*value < 0 || *value > 0xFFFF) {
        args.Fail(std::string("--") + name + ": not a port address (0 to 0xFFFF)");
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

} // namespace

bool ParseTransferOptions(ArgParser& args, TransferOptions& options, int unit) {
    options.settings = LoadSettings();
    Settings& s = options.settings;
    if (unit >= 0) s.Unit = unit;
    if (const auto named = unit >= 0 ? std::nullopt : args.Value("unit")) {
        if (*named == "v64") s.Unit = 0;
        else if (*named == "sp64") s.Unit = 1;
        else if (*named == "cd64") s.Unit = 2;
        else if (*named == "sc64") s.Unit = 3;
        else if (*named == "ed64") s.Unit = 4;
        else args.Fail("--unit: give v64, sp64, cd64, sc64 or ed64");
    }
    const bool ed64 = s.Unit == 4;
    if (const auto device = args.Value("device")) (ed64 ? s.ED64Device : s.SC64Device) = *device;
    if (const auto type = args.Value("save-type")) {
        if (const auto value = SaveTypeFromKey(*type)) options.saveType = *value;
        else args.Fail("--save-type: give none, eeprom4k, eeprom16k, sram256k, sram768k, flashram or sram1m");
    }
    if (const auto mode = args.Number("boot-mode")) {
        const std::string why = *mode >= 0 ? BootModeRefusal(static_cast<std::uint32_t>(*mode)) : "give 0, 1 or 3";
        if (why.empty()) s.SC64BootMode = static_cast<int>(*mode);
        else args.Fail("--boot-mode: " + why);
    }
    if (const auto tv = args.Value("tv")) {
        if (const auto value = TvTypeFromKey(*tv)) s.SC64TvType = *value;
        else args.Fail("--tv: give pal, ntsc, mpal or auto");
    }
    if (const auto database = args.Value("rom-db")) s.RomDatabase = *database;
    const std::optional<std::string> version = args.Value("sim-version");
    if (version) {
        unsigned major = 0, minor = 0, revision = 0;
        char end = 0;
        if (std::sscanf(version->c_str(), "%u.%u.%u%c", &major, &minor, &revision, &end) == 3 && major <= 0xFFFF &&
            minor <= 0xFFFF)
            options.sc64Version = {static_cast<std::uint16_t>(major), static_cast<std::uint16_t>(minor), revision};
        else
            args.Fail("--sim-version: give the version as X.Y.Z (2.20.2)");
    }
    const bool sc64 = s.Unit == 3;
    if (const auto port = args.Value("port")) {
        const std::string prefix = "/dev/parport";
        if (*port == "sim") {
            options.port = PortChoice::Simulated;
        } else if (port->rfind(prefix, 0) == 0 && port->size() == prefix.size() + 1 &&
                   (*port)[prefix.size()] >= '0' && (*port)[prefix.size()] <= '3') {
            options.port = PortChoice::Device;
            options.deviceIndex = (*port)[prefix.size()] - '0' + 1;
        } else if (const auto address = ParseNumberText(*port); address && *address > 0 && *address <= 0xFFFF) {
            options.port = PortChoice::Address;
            s.OutPort = static_cast<int>(*address);
        } else {
            args.Fail("--port: give a port address, /dev/parport0 to /dev/parport3, or sim");
        }
    }
    if (const auto cd64 = ParseAddress(args, "cd64-port")) s.CD64Port = *cd64;
    if (const auto surgeon = ParseAddress(args, "surgeon-address")) s.SurgeonAddress = *surgeon;
    if (const auto wiring = args.Number("wiring")) {
        if (*wiring == 0 || *wiring == 1) options.wiring = static_cast<int>(*wiring);
        else args.Fail("--wiring: give 0 or 1");
    }
    if (const auto fault = args.Value("sim-fault"); fault && ed64) {
        if (*fault == "silent") options.ed64Fault = Ed64Fault::Silent;
        else if (*fault == "stall") options.ed64Fault = Ed64Fault::Stall;
        else if (*fault == "refuse") options.ed64Fault = Ed64Fault::Refuse;
        else args.Fail("--sim-fault: give silent, stall or refuse (a wrong answer to the test) for the EverDrive-64");
    } else if (fault && sc64) {
        if (*fault == "silent") options.sc64Fault = Sc64Fault::Silent;
        else if (*fault == "stall") options.sc64Fault = Sc64Fault::Cut;
        else if (*fault == "refuse") options.sc64Fault = Sc64Fault::Refuse;
        else if (*fault == "clog") options.sc64Fault = Sc64Fault::Clog;
        else args.Fail("--sim-fault: give silent, stall, refuse or clog for the SummerCart64");
    } else if (fault) {
        if (*fault == "silent") options.fault = SimFault::Silent;
        else if (*fault == "stall") options.fault = SimFault::Stall;
        else if (*fault == "checksum") options.fault = SimFault::Checksum;
        else args.Fail("--sim-fault: give silent, stall or checksum");
    }
    if (const auto image = args.Value("sim-image")) options.simImage = *image;
    if (const auto trace = args.Value("trace")) options.trace = *trace;
    if (const auto timeout = args.Number("sync-timeout")) {
        if (*timeout >= 0) options.syncTimeoutSeconds = *timeout;
        else args.Fail("--sync-timeout: give a number of seconds");
    }
    if (options.port != PortChoice::Simulated &&
        (options.fault != SimFault::None || options.sc64Fault != Sc64Fault::None ||
         options.ed64Fault != Ed64Fault::None || !options.simImage.empty() || version))
        args.Fail("--sim-fault, --sim-image and --sim-version need --port sim");
    if (options.fault == SimFault::Checksum && s.Unit != 2)
        args.Fail("--sim-fault checksum applies to the CD64 only (the other units send no checksum)");
    if (options.fault != SimFault::None && s.Unit == 1)
        args.Fail("--sim-fault does not apply to the SP64/Wildcard, which never answers");
    return args.Ok();
}

TransferRigging::TransferRigging(const TransferOptions& options) : options_(options), ed64Sim_(options.ed64Fault) {}

namespace {

// `stream` behind a tracing stream that writes `trace` (none when empty);
// null with `message` set when the trace file cannot be written.
std::unique_ptr<ByteStream> Traced(std::unique_ptr<ByteStream> stream, const std::string& trace,
                                   std::string& message) {
    if (!stream || trace.empty()) return stream;
    auto traced = std::make_unique<TracingStream>(std::move(stream), trace);
    if (!traced->Ok()) {
        message = "cannot write the trace file " + trace + ": " + traced->Message();
        return nullptr;
    }
    return traced;
}

} // namespace

void TransferRigging::ConnectSc64(TransferState& state) {
    state.sc64Device = options_.settings.SC64Device;
    const bool simulated = Simulated();
    const std::string trace = options_.trace;
    state.sc64Opener = [this, simulated, trace](const std::string& device,
                                                std::string& message) -> std::unique_ptr<ByteStream> {
        if (simulated) return Traced(std::make_unique<SimSc64Stream>(sc64Sim_), trace, message);
        return Traced(OpenSc64Device(device, message), trace, message);
    };
}

void TransferRigging::ConnectEd64(TransferState& state) {
    state.ed64Device = options_.settings.ED64Device;
    const bool simulated = Simulated();
    const std::string trace = options_.trace;
    state.ed64Opener = [this, simulated, trace](const std::string& device,
                                                std::string& message) -> std::unique_ptr<ByteStream> {
        if (simulated) return Traced(std::make_unique<SimEd64Stream>(ed64Sim_), trace, message);
        return Traced(OpenEd64Device(device, message), trace, message);
    };
}

SaveType SaveTypeFor(const TransferOptions& options, const std::string& path) {
    SaveTypeChoice choice;
    if (options.saveType) {
        choice.type = *options.saveType;
        choice.source = SaveTypeSource::Chosen;
    } else {
        std::string message;
        const std::optional<RomDatabase> database = LoadRomDatabase(options.settings.RomDatabase, message);
        if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
        // A file that is no image: the send says why. (The MD5 is computed in the services module.)
        const CliServices* services = Services();
        if (!services ||
            services->guessSaveType(path, database ? &*database : nullptr, {}, choice, message) != EngineResult::Ok)
            return SaveType::None;
    }
    std::fprintf(stderr, "%s\n", choice.Explanation().c_str());
    return choice.type;
}

bool TransferRigging::Build(const char* command, const std::vector<std::string>& files) {
    const Settings& s = options_.settings;
    std::vector<std::string> keepAway = files;
    if (!options_.simImage.empty()) keepAway.push_back(options_.simImage);
    if (s.Unit == 3 || s.Unit == 4) {
        // Its trace file is made when the cart is opened: checked now, before anything happens.
        if (const std::string why = StreamTraceRefusal(options_.trace, keepAway); !why.empty()) {
            std::fprintf(stderr, "q64 %s: not writing the trace to %s: %s\n", command, options_.trace.c_str(),
                         why.c_str());
            return false;
        }
        // The USB carts are reached over USB (ConnectSc64, ConnectEd64); the
        // port stays unused. A simulated SummerCart64's first data command of
        // the run misbehaves when asked (MEMORY_WRITE for a send or restore,
        // MEMORY_READ for a receive or backup; a clog only in a write); a simulated EverDrive-64 was
        // made with its fault.
        backend_ = std::make_unique<SimulatedPortBackend>();
        port_ = std::make_unique<ParallelPort>(*backend_);
        sc64Sim_.SetVersion(options_.sc64Version);
        if (options_.sc64Fault != Sc64Fault::None) sc64Sim_.FailAt('M', options_.sc64Fault);
        if (options_.sc64Fault != Sc64Fault::None && options_.sc64Fault != Sc64Fault::Clog)
            sc64Sim_.FailAt('m', options_.sc64Fault);
        return true;
    }
    switch (options_.port) {
    case PortChoice::Simulated: {
        auto bus = std::make_unique<SimulatedPortBackend>();
        const auto parallel = static_cast<PortAddress>(s.OutPort);
        if (s.Unit == 0) v64_ = &bus->Attach(std::make_unique<SimDoctorV64>(parallel, options_.wiring, options_.fault));
        if (s.Unit == 1) sp64_ = &bus->Attach(std::make_unique<SimSp64>(parallel));
        if (s.Unit == 2)
            cd64_ = &bus->Attach(std::make_unique<SimCd64>(static_cast<PortAddress>(s.CD64Port), options_.fault));
        surgeon_ = &bus->Attach(std::make_unique<SimSurgeon64>(static_cast<PortAddress>(s.SurgeonAddress)));
        backend_ = std::move(bus);
        osKind_ = 2;
        break;
    }
    case PortChoice::Device:
        backend_ = std::make_unique<PpdevPortBackend>(options_.deviceIndex);
        osKind_ = 0;
        break;
    case PortChoice::Address:
        osKind_ = q64::OsKind();
        if (osKind_ == 0) {
            const std::string why = DirectPortBackend().Claim(static_cast<PortAddress>(s.OutPort), 3);
            std::fprintf(stderr, "q64 %s: %s Trying /dev/parport0.\n", command, why.c_str());
            backend_ = std::make_unique<PpdevPortBackend>(1);
        } else {
            backend_ = std::make_unique<DirectPortBackend>();
        }
        break;
    }
    PortBackend* chosen = backend_.get();
    if (!options_.trace.empty() && s.Unit != 3 && s.Unit != 4) { // the USB carts trace their byte stream instead
        tracer_ = std::make_unique<TracingPortBackend>(*backend_, options_.trace, keepAway);
        if (!tracer_->IsOpen()) {
            std::fprintf(stderr, "q64 %s: not writing the trace to %s: %s\n", command, options_.trace.c_str(),
                         tracer_->Error().c_str());
            return false;
        }
        chosen = tracer_.get();
    }
    port_ = std::make_unique<ParallelPort>(*chosen);
    return true;
}

TransferConsole::TransferConsole(const std::string& caption, long syncTimeoutSeconds)
    : bar_(StderrBar(caption)),
      deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(syncTimeoutSeconds)) {
    calls_.status = [this](const std::string& text) {
        EndBar();
        std::fprintf(stderr, "%s\n", text.c_str());
    };
    calls_.progress = [this](int percent) {
        ProgressTestPoint(percent);
        if (InterruptSignal() != 0) return kProgressCancelled;
        if (bar_ && percent > 0) {
            bar_(percent);
            barOpen_ = percent < 100;
        }
        return kProgressGoOn;
    };
    calls_.abandonSync = [this] {
        if (InterruptSignal() != 0) return true;
        if (std::chrono::steady_clock::now() < deadline_) return false;
        timedOut_ = true;
        return true;
    };
}

TransferConsole::~TransferConsole() { EndBar(); }

void TransferConsole::EndBar() {
    if (!barOpen_) return;
    std::fputc('\n', stderr);
    barOpen_ = false;
}

MessageSink TransferConsole::Sink() {
    return [this](const std::string& text) {
        EndBar();
        std::fprintf(stderr, "%s\n", text.c_str());
    };
}

bool TransferConsole::Interrupted() const { return InterruptSignal() != 0; }

int FinishTransfer(const char* command, EngineResult result, const TransferConsole& console,
                   const TransferRigging& rigging, const TransferOptions& options) {
    if (result == EngineResult::Ok) return 0;
    if (result == EngineResult::ErrCancelled && console.TimedOut()) {
        std::fprintf(stderr, "q64 %s: no unit answered within %ld seconds\n", command, options.syncTimeoutSeconds);
        TransferState state;
        state.unit = options.settings.Unit;
        if (const std::string hint = NoAnswerHint(state, rigging.Backend()); !hint.empty())
            std::fprintf(stderr, "q64 %s: %s\n", command, hint.c_str());
    } else if (console.Interrupted()) {
        const int signal = InterruptSignal();
        std::fprintf(stderr, "q64 %s: %s by %s\n", command,
                     result == EngineResult::ErrCancelled ? "cancelled" : "stopped",
                     signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP");
        return InterruptedExitStatus();
    } else if (result == EngineResult::ErrCancelled) {
        std::fprintf(stderr, "q64 %s: cancelled\n", command);
    } else {
        std::fprintf(stderr, "q64 %s: failed (%s, %d)\n", command, ResultName(result), ToInt(result));
    }
    return 1;
}

} // namespace q64::cli
