#pragma once
// A bench for transfer tests: a simulated bus traced to a file in a fresh
// temporary folder, the port, the state, the image, and callbacks that record
// every status text, message and progress value.

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"
#include "transfer/ParallelPort.h"
#include "transfer/SimulatedPortBackend.h"
#include "transfer/TracingPortBackend.h"
#include "transfer/Transfer.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferState.h"

namespace q64::test {

constexpr PortAddress kLpt = 0x378;
constexpr PortAddress kCard = 0x310;

class TransferRig {
public:
    TransferRig();

    // Configures for `unit` on 0x378 / 0x310 (no driver), "BIOS" as given.
    void Configure(int unit, int bios = 1);
    // Writes `bytes` under `name` and identifies it into the image.
    std::string Load(const std::string& name, const samples::Bytes& bytes);
    // Cancels when progress has been asked `calls` times (counting sync polls).
    void CancelAfterProgressCalls(int calls) { cancelAfter_ = calls; }

    TransferContext Context() { return TransferContext{state, port, image, calls}; }
    EngineResult Send() { return SendImage(state, port, image, calls); }
    EngineResult Receive(const std::string& path, int mbit = 0) {
        return ReceiveImage(state, port, image, path, mbit, calls);
    }

    // Ends the trace and returns it, one entry per line (later accesses are not kept).
    std::vector<std::string> Trace();

    TempDir dir;
    SimulatedPortBackend bus;
    std::unique_ptr<TracingPortBackend> tracer;
    ParallelPort port;
    TransferState state;
    RomImage image;
    TransferCallbacks calls;
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    std::vector<int> progress;

private:
    int cancelAfter_ = -1;
    int progressCalls_ = 0;
};

// A unit that answers reads from a script: each address hands out its queued
// values in order, then its resting value; writes are swallowed. Lets a test
// pin every access of one protocol step against lines it controls exactly.
class ScriptedUnit final : public SimulatedUnit {
public:
    ScriptedUnit(PortAddress first, PortAddress last) : first_(first), last_(last) {}
    // Queues `values` for the next reads of `address`.
    void Queue(PortAddress address, const std::vector<std::uint8_t>& values);
    // What `address` reads once its queue is empty (0xFF unless set).
    void Rest(PortAddress address, std::uint8_t value) { rest_[address] = value; }

    bool Decodes(PortAddress address) const override { return address >= first_ && address <= last_; }
    void Write(PortAddress, std::uint8_t) override {}
    std::uint8_t Read(PortAddress address) override;

private:
    PortAddress first_, last_;
    std::map<PortAddress, std::deque<std::uint8_t>> queued_;
    std::map<PortAddress, std::uint8_t> rest_;
};

// Trace lines for a list of ("W"/"R", address, value).
struct Access {
    char kind;
    PortAddress address;
    std::uint8_t value;
};
std::vector<std::string> Lines(const std::vector<Access>& accesses);

// An image recipe of `bytes` in `format`.
samples::ImageRecipe SmallImage(std::size_t bytes, ImageFormat format, std::uint32_t seed = 3);

} // namespace q64::test
