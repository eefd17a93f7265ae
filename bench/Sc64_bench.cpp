// The SummerCart64 send: bytes on the wire per payload byte for a 64 MiB
// image (counter "wire/payload", aim at most 1.001), and payload throughput
// over a pseudo-terminal pair against a plain write of the same bytes to it.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "bench/BenchFolder.h"
#include "bench/CountingStream.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "transfer/Sc64.h"
#include "transfer/SerialStream.h"
#include "transfer/SimSc64.h"

namespace {

using namespace q64;

using Folder = q64::bench::BenchFolder;

using q64::bench::CountingStream;

std::string WriteImage(const Folder& folder, std::size_t size) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = size;
    recipe.format = ImageFormat::ByteSwapped;
    const std::string path = folder.File("image.v64");
    samples::WriteFile(path, samples::MakeImage(recipe));
    return path;
}

void BM_Sc64WireOverhead64MiB(benchmark::State& state) {
    Folder folder;
    const std::size_t size = sc64::kSdramSize;
    const std::string path = WriteImage(folder, size);
    RomImage image;
    image.Identify(path);
    TransferCallbacks calls;
    double ratio = 0;
    for (auto _ : state) {
        SimSc64 cart;
        SimSc64Stream sim(cart);
        CountingStream counted(sim);
        if (Sc64Send(Sc64Context{counted, image, calls, {}}, Sc64SendOptions{}) != EngineResult::Ok)
            state.SkipWithError("send failed");
        ratio = static_cast<double>(counted.bytes) / static_cast<double>(size);
    }
    state.counters["wire/payload"] = ratio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_Sc64WireOverhead64MiB)->Iterations(1)->Unit(benchmark::kMillisecond);

constexpr std::size_t kPtyBytes = 16u << 20;

void BM_Sc64SendOverPty(benchmark::State& state) {
    Folder folder;
    const std::string path = WriteImage(folder, kPtyBytes);
    RomImage image;
    image.Identify(path);
    TransferCallbacks calls;
    SimSc64 cart;
    SimSc64Pty pty(cart);
    SerialStream serial;
    if (!pty.Ok() || !serial.Open(pty.Path())) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    serial.SetModemLines(&pty.Lines());
    for (auto _ : state)
        if (Sc64Send(Sc64Context{serial, image, calls, {}}, Sc64SendOptions{}) != EngineResult::Ok)
            state.SkipWithError("send failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPtyBytes));
}
BENCHMARK(BM_Sc64SendOverPty)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same number of bytes written plainly to a raw pseudo-terminal whose
// other end is drained by a thread: the ceiling for any protocol over it.
void BM_PlainWriteOverPty(benchmark::State& state) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    char name[128];
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name)) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    std::atomic<bool> stop{false};
    std::thread drain([&] {
        std::uint8_t buffer[65536];
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) (void)!::read(master, buffer, sizeof buffer);
        }
    });
    const samples::Bytes bytes(kPtyBytes, 0x5A);
    for (auto _ : state) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(slave, bytes.data() + done, std::min<std::size_t>(32768, bytes.size() - done));
            if (n > 0) done += static_cast<std::size_t>(n);
        }
        ::tcdrain(slave);
    }
    stop = true;
    drain.join();
    ::close(slave);
    ::close(master);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPtyBytes));
}
BENCHMARK(BM_PlainWriteOverPty)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
