// The EverDrive-64 send: bytes on the wire per payload byte for a 64 MiB
// image (counter "wire/payload", aim at most 1.001), and payload throughput
// over a pseudo-terminal pair (compare BM_PlainWriteOverPty).
#include <benchmark/benchmark.h>

#include "bench/BenchFolder.h"
#include "bench/CountingStream.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "transfer/Ed64.h"
#include "transfer/SerialStream.h"
#include "transfer/SimEd64.h"

namespace {

using namespace q64;

std::string WriteImage(const bench::BenchFolder& folder, std::size_t size) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = size;
    recipe.format = ImageFormat::ByteSwapped;
    const std::string path = folder.File("image.v64");
    samples::WriteFile(path, samples::MakeImage(recipe));
    return path;
}

void BM_Ed64WireOverhead64MiB(benchmark::State& state) {
    bench::BenchFolder folder;
    const std::size_t size = ed64::kRomSize;
    RomImage image;
    image.Identify(WriteImage(folder, size));
    TransferCallbacks calls;
    Ed64Waits waits;
    waits.bootPauseMs = 0;
    double ratio = 0;
    for (auto _ : state) {
        SimEd64 cart;
        SimEd64Stream sim(cart);
        bench::CountingStream counted(sim);
        if (Ed64Send(Ed64Context{counted, image, calls, waits}, Ed64SendOptions{}) != EngineResult::Ok)
            state.SkipWithError("send failed");
        ratio = static_cast<double>(counted.bytes) / static_cast<double>(size);
    }
    state.counters["wire/payload"] = ratio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_Ed64WireOverhead64MiB)->Iterations(1)->Unit(benchmark::kMillisecond);

constexpr std::size_t kPtyBytes = 16u << 20;

void BM_Ed64SendOverPty(benchmark::State& state) {
    bench::BenchFolder folder;
    RomImage image;
    image.Identify(WriteImage(folder, kPtyBytes));
    TransferCallbacks calls;
    Ed64Waits waits;
    waits.bootPauseMs = 0;
    SimEd64 cart;
    SimStreamPty pty(cart);
    SerialStream serial;
    if (!pty.Ok() || !serial.Open(pty.Path())) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    for (auto _ : state)
        if (Ed64Send(Ed64Context{serial, image, calls, waits}, Ed64SendOptions{}) != EngineResult::Ok)
            state.SkipWithError("send failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPtyBytes));
}
BENCHMARK(BM_Ed64SendOverPty)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
