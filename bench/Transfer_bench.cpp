// Send and receive paths over the simulated units: port accesses per payload
// byte (counter "accesses/byte") and payload bytes per second. The protocols
// allow at most: Doctor V64 send 3 (unit ready at once), SP64/Wildcard 5,
// CD64 3, Surgeon64 load 3.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchFolder.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "transfer/Cd64.h"
#include "transfer/ParallelPort.h"
#include "transfer/SimCd64.h"
#include "transfer/SimDoctorV64.h"
#include "transfer/SimSp64.h"
#include "transfer/SimSurgeon64.h"
#include "transfer/SimulatedPortBackend.h"
#include "transfer/Surgeon64.h"
#include "transfer/Transfer.h"

namespace {

using namespace q64;

constexpr std::size_t kImageBytes = 1 << 20;
constexpr PortAddress kLpt = 0x378;
constexpr PortAddress kCard = 0x310;

using Folder = q64::bench::BenchFolder;

samples::Bytes Image(bool compressed = false) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = kImageBytes;
    return compressed ? samples::MakeCompressedImage(recipe) : samples::MakeImage(recipe);
}

void Report(benchmark::State& state, const SimulatedPortBackend& bus, std::uint64_t payload) {
    state.counters["accesses/byte"] =
        static_cast<double>(bus.Reads() + bus.Writes()) / static_cast<double>(payload * state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(payload * state.iterations()));
}

template <typename UnitT>
void SendTo(benchmark::State& state, int unit, std::unique_ptr<UnitT> simulated, bool compressed) {
    Folder folder;
    const std::string path = folder.File("bench.z64");
    samples::WriteFile(path, Image(compressed));
    SimulatedPortBackend bus;
    bus.Attach(std::move(simulated));
    ParallelPort port(bus);
    TransferState transfer;
    RomImage image;
    const TransferCallbacks calls;
    for (auto _ : state) {
        ConfigureTransfer(transfer, image, unit, 1, kLpt, 2, kCard, 'X', 0);
        image.Identify(path);
        if (SendImage(transfer, port, image, calls) != EngineResult::Ok) state.SkipWithError("send failed");
    }
    Report(state, bus, kImageBytes);
}

void BM_V64Send(benchmark::State& state) { SendTo(state, 0, std::make_unique<SimDoctorV64>(kLpt, 0), false); }
void BM_V64SendCompressed(benchmark::State& state) {
    SendTo(state, 0, std::make_unique<SimDoctorV64>(kLpt, 1), true);
}
void BM_Sp64Send(benchmark::State& state) { SendTo(state, 1, std::make_unique<SimSp64>(kLpt), false); }
void BM_Cd64Send(benchmark::State& state) { SendTo(state, 2, std::make_unique<SimCd64>(kCard), false); }

void BM_V64Receive(benchmark::State& state) {
    Folder folder;
    SimulatedPortBackend bus;
    bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 1)).SetImage(Image());
    ParallelPort port(bus);
    TransferState transfer;
    RomImage image;
    const TransferCallbacks calls;
    ConfigureTransfer(transfer, image, 0, 1, kLpt, 2, kCard, 'X', 0);
    transfer.handshakeMode = 1;
    for (auto _ : state)
        if (ReceiveImage(transfer, port, image, folder.File("in.z64"), 0, calls) != EngineResult::Ok)
            state.SkipWithError("receive failed");
    Report(state, bus, kImageBytes);
}

void BM_Cd64Receive(benchmark::State& state) {
    Folder folder;
    SimulatedPortBackend bus;
    bus.Attach(std::make_unique<SimCd64>(kCard)).SetImage(Image());
    ParallelPort port(bus);
    TransferState transfer;
    RomImage image;
    const TransferCallbacks calls;
    ConfigureTransfer(transfer, image, 2, 1, kLpt, 2, kCard, 'X', 0);
    const TransferContext ctx{transfer, port, image, calls};
    for (auto _ : state)
        if (Cd64ReceiveSize(ctx, folder.File("in.z64"), kImageBytes) != EngineResult::Ok)
            state.SkipWithError("receive failed");
    Report(state, bus, kImageBytes);
}

void BM_SurgeonLoad(benchmark::State& state) {
    Folder folder;
    const std::string path = folder.File("pak.sav");
    samples::ImageRecipe recipe;
    recipe.sizeBytes = kMemPakSize;
    samples::WriteFile(path, samples::MakeImage(recipe));
    SimulatedPortBackend bus;
    bus.Attach(std::make_unique<SimSurgeon64>(0x300));
    ParallelPort port(bus);
    SurgeonState surgeon;
    for (auto _ : state)
        if (SurgeonLoadPak(port, surgeon, 0x300, path, {}) != EngineResult::Ok) state.SkipWithError("load failed");
    Report(state, bus, kMemPakSize);
}

} // namespace

BENCHMARK(BM_V64Send)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_V64SendCompressed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sp64Send)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cd64Send)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_V64Receive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cd64Receive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SurgeonLoad)->Unit(benchmark::kMillisecond);
