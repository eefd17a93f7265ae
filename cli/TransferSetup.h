#pragma once
// What the transfer commands (send, receive, surgeon) share: their options over
// the settings defaults, the port back end they choose (direct, ppdev or the
// simulated units, optionally traced), the status and progress output on
// stderr, and the Ctrl-C / sync-timeout cancel.

#include <chrono>
#include <memory>
#include <string>

#include "engine/SaveType.h"
#include "settings/Settings.h"
#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "transfer/ParallelPort.h"
#include "engine/SaveType.h"
#include "transfer/PortBackend.h"
#include "transfer/SimEd64.h"
#include "transfer/SimSc64.h"
#include "transfer/SimulatedPortBackend.h"
#include "transfer/TracingPortBackend.h"
#include "transfer/TransferContext.h"

namespace q64 {
class SimDoctorV64;
class SimSp64;
class SimCd64;
class SimSurgeon64;
struct TransferState;
} // namespace q64

namespace q64::cli {

enum class PortChoice { Address, Device, Simulated };

struct TransferOptions {
    Settings settings;   // with the options applied
    PortChoice port = PortChoice::Address;
    int deviceIndex = 1; // /dev/parportN is index N + 1
    int wiring = 0;
    SimFault fault = SimFault::None;
    std::string simImage;
    std::string trace;
    Sc64Fault sc64Fault = Sc64Fault::None; // what the simulated SummerCart64 does wrong
    Sc64Version sc64Version;               // the simulated SummerCart64's firmware
    Ed64Fault ed64Fault = Ed64Fault::None; // what the simulated EverDrive-64 does wrong
    std::optional<SaveType> saveType;      // --save-type, for either USB cart
    long syncTimeoutSeconds = 30;
};

// Takes the shared options out of `args` (defaults from the settings store).
// False after args.Fail() when one is malformed.
// `unit`, when given, is the unit whatever the settings and --unit say.
bool ParseTransferOptions(ArgParser& args, TransferOptions& options, int unit = -1);

// The chosen back end with its simulated units, and the port over it.
class TransferRigging {
public:
    explicit TransferRigging(const TransferOptions& options);
    // Builds the back end; false (after a message on stderr) when the trace
    // file cannot be written or would be one of `files` (what the command
    // sends, receives, loads or saves) or the --sim-image file.
    bool Build(const char* command, const std::vector<std::string>& files);

    ParallelPort& Port() { return *port_; }
    const PortBackend& Backend() const { return *backend_; }
    // 0 when the transfers go through the port driver, 2 otherwise.
    int OsKind() const { return osKind_; }
    bool Simulated() const { return options_.port == PortChoice::Simulated; }

    // The simulated units (null unless simulated and configured for them).
    SimDoctorV64* V64() const { return v64_; }
    SimSp64* Sp64() const { return sp64_; }
    SimCd64* Cd64() const { return cd64_; }
    SimSurgeon64* Surgeon() const { return surgeon_; }
    // The simulated SummerCart64 (always there for --port sim).
    SimSc64& Sc64Sim() { return sc64Sim_; }
    // Makes `state` reach the SummerCart64: the simulated one for --port sim,
    // otherwise "SC64Device" (or the cart found); traced when asked.
    void ConnectSc64(TransferState& state);
    // The simulated EverDrive-64 (always there for --port sim).
    SimEd64& Ed64Sim() { return ed64Sim_; }
    // Makes `state` reach the EverDrive-64: the simulated one for --port sim,
    // otherwise "ED64Device" (or the cart found); traced when asked.
    void ConnectEd64(TransferState& state);

private:
    const TransferOptions& options_;
    std::unique_ptr<PortBackend> backend_;
    std::unique_ptr<TracingPortBackend> tracer_;
    std::unique_ptr<ParallelPort> port_;
    int osKind_ = 2;
    SimDoctorV64* v64_ = nullptr;
    SimSp64* sp64_ = nullptr;
    SimCd64* cd64_ = nullptr;
    SimSurgeon64* surgeon_ = nullptr;
    SimSc64 sc64Sim_;
    SimEd64 ed64Sim_;
};

// The save type a USB cart's send gives the image at `path`: --save-type,
// else the one its header names, else the ROM database's ("RomDatabase", or
// --rom-db); the choice and its reason go to stderr. None when nothing names
// one.
SaveType SaveTypeFor(const TransferOptions& options, const std::string& path);

// Status lines and a progress bar on stderr; SIGINT, SIGTERM and SIGHUP cancel
// through the progress callback (and end a sync), and the sync gives up after
// the timeout.
class TransferConsole {
public:
    TransferConsole(const std::string& caption, long syncTimeoutSeconds);
    ~TransferConsole();
    TransferConsole(const TransferConsole&) = delete;
    TransferConsole& operator=(const TransferConsole&) = delete;

    const TransferCallbacks& Callbacks() const { return calls_; }
    MessageSink Sink();
    bool Interrupted() const;
    bool TimedOut() const { return timedOut_; }

private:
    void EndBar();

    TransferCallbacks calls_;
    ProgressFn bar_;
    InterruptGuard cancelOnSignal_;
    bool barOpen_ = false;
    bool timedOut_ = false;
    std::chrono::steady_clock::time_point deadline_;
};

// Prints what became of a transfer on stderr and gives the exit status: 0
// only for Ok, 128 + the signal number after a signal, 1 otherwise; a cancel
// says whether a signal or the sync timeout caused it.
int FinishTransfer(const char* command, EngineResult result, const TransferConsole& console,
                   const TransferRigging& rigging, const TransferOptions& options);

} // namespace q64::cli
