// Delta BPS patches beside Floating IPS (Flips) `--bps-delta`, in one run, on
// generated image pairs of 16 and 64 MiB of each kind in engine/SamplePairs.h
// (moved blocks, an inserted 64 KiB block, shifted text, scattered edits, 4 MiB
// of growth, shrinkage). For each pair, in this order:
//   BpsDelta/KIND/MiB/flips   the program named by $FLIPS: flips --create --bps-delta --exact
//                             (skipped when FLIPS is not set)
//   BpsDelta/KIND/MiB/ours    CreatePatch as `q64 mkpatch` runs it: reads both files,
//                             makes the delta patch, telling a progress callback, writes it
//   BpsDelta/KIND/MiB/linear  the same with the linear maker (`q64 mkpatch --linear`)
// Time is CPU seconds (user + system) of the work: this process's for ours, the
// child's for Flips, so a machine busy with other work slows both alike; the
// wall time is the counter `wall_s`. Counters: patch_bytes; on ours, beside
// Flips: flips_bytes, size_vs_flips, time_vs_flips, and the cross checks
// applies_in_flips (Flips turns the original into the modified image with our
// patch) and flips_applies_here (ours does with Flips' patch), 1 when exact.
// Run: FLIPS=/path/to/flips build/bench/q64_bench --benchmark_filter=BpsDelta
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/BenchFolder.h"
#include "engine/BpsPatch.h"
#include "engine/Patches.h"
#include "engine/RomImage.h"
#include "engine/SamplePairs.h"

namespace {

using q64::samples::Bytes;
using q64::samples::PairKind;

double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Runs Flips with `args`, its output discarded; true when it exits with 0.
bool RunFlips(const std::vector<std::string>& args) {
    const char* flips = std::getenv("FLIPS");
    if (!flips || !*flips) return false;
    std::vector<char*> argv{const_cast<char*>(flips)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(flips, argv.data());
        ::_exit(127);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool AppliesHere(const Bytes& patch, const Bytes& original, const Bytes& modified) {
    Bytes made;
    const q64::BpsHeader header = q64::ParseBpsPatch(patch.data(), patch.size());
    return q64::ApplyBpsToBuffer(header, patch.data(), original.data(), original.size(), made).defect ==
               q64::BpsDefect::None &&
           made == modified;
}

// The pair being measured, written to a folder of its own; made again when
// the next benchmark asks for another one.
struct PairFiles {
    PairKind kind = PairKind::MovedBlocks;
    std::size_t mib = 0;
    q64::samples::ImagePair bytes;
    std::unique_ptr<q64::bench::BenchFolder> folder;
    std::string original;
    std::string modified;
    std::size_t flipsBytes = 0; // 0: Flips did not run
    double flipsSeconds = 0;
};

PairFiles& Pair(PairKind kind, std::size_t mib) {
    static PairFiles pair;
    if (pair.folder && pair.kind == kind && pair.mib == mib) return pair;
    pair = PairFiles{};
    pair.kind = kind;
    pair.mib = mib;
    pair.bytes = q64::samples::MakeImagePair(kind, mib << 20);
    pair.folder = std::make_unique<q64::bench::BenchFolder>();
    pair.original = pair.folder->File("GAME.z64");
    pair.modified = pair.folder->File("HACK.z64");
    q64::samples::WriteFile(pair.original, pair.bytes.original);
    q64::samples::WriteFile(pair.modified, pair.bytes.modified);
    return pair;
}

void Flips(benchmark::State& state, PairKind kind, std::size_t mib) {
    const char* flips = std::getenv("FLIPS");
    if (!flips || !*flips) {
        state.SkipWithError("set FLIPS to the Flips program to compare with it");
        return;
    }
    PairFiles& pair = Pair(kind, mib);
    const std::string out = pair.folder->File("flips.bps");
    double wall = 0;
    double total = 0;
    bool ran = true;
    for (auto _ : state) {
        const double cpu = CpuSeconds(RUSAGE_CHILDREN);
        const double start = WallSeconds();
        ran = ran && RunFlips({"--create", "--bps-delta", "--exact", pair.original, pair.modified, out});
        wall = WallSeconds() - start;
        const double seconds = CpuSeconds(RUSAGE_CHILDREN) - cpu;
        total += seconds;
        state.SetIterationTime(seconds);
    }
    if (!ran) {
        state.SkipWithError("Flips failed");
        return;
    }
    const Bytes patch = q64::samples::ReadFile(out);
    pair.flipsBytes = patch.size();
    pair.flipsSeconds = total / static_cast<double>(state.iterations());
    state.counters["patch_bytes"] = static_cast<double>(patch.size());
    state.counters["wall_s"] = wall;
}

void Ours(benchmark::State& state, PairKind kind, std::size_t mib, q64::BpsMethod method) {
    PairFiles& pair = Pair(kind, mib);
    const std::string out = pair.folder->File(method == q64::BpsMethod::Delta ? "ours.bps" : "linear.bps");
    q64::RomImage image;
    double wall = 0;
    double total = 0;
    int calls = 0; // as the progress window or q64's bar would be told
    const q64::ProgressFn progress = [&calls](int) {
        benchmark::DoNotOptimize(++calls);
        return q64::kProgressGoOn;
    };
    for (auto _ : state) {
        const double cpu = CpuSeconds(RUSAGE_SELF);
        const double start = WallSeconds();
        image.Identify(pair.original);
        if (q64::CreatePatch(image, pair.modified, out, q64::PatchKind::Bps, method, progress) !=
            q64::EngineResult::Ok) {
            state.SkipWithError("create failed");
            return;
        }
        image.Clear();
        wall = WallSeconds() - start;
        const double seconds = CpuSeconds(RUSAGE_SELF) - cpu;
        total += seconds;
        state.SetIterationTime(seconds);
    }
    const Bytes patch = q64::samples::ReadFile(out);
    state.counters["patch_bytes"] = static_cast<double>(patch.size());
    state.counters["wall_s"] = wall;
    if (!AppliesHere(patch, pair.bytes.original, pair.bytes.modified)) state.SkipWithError("our patch does not apply");
    if (method != q64::BpsMethod::Delta || pair.flipsBytes == 0) return;
    state.counters["flips_bytes"] = static_cast<double>(pair.flipsBytes);
    state.counters["size_vs_flips"] = static_cast<double>(patch.size()) / static_cast<double>(pair.flipsBytes);
    state.counters["time_vs_flips"] = total / static_cast<double>(state.iterations()) / pair.flipsSeconds;
    const std::string made = pair.folder->File("made.z64");
    state.counters["applies_in_flips"] =
        RunFlips({"--apply", "--exact", out, pair.original, made}) && q64::samples::ReadFile(made) == pair.bytes.modified
            ? 1
            : 0;
    state.counters["flips_applies_here"] =
        AppliesHere(q64::samples::ReadFile(pair.folder->File("flips.bps")), pair.bytes.original, pair.bytes.modified) ? 1
                                                                                                                      : 0;
}

[[maybe_unused]] const bool kRegistered = [] {
    for (const std::size_t mib : {16, 64}) {
        for (const PairKind kind : q64::samples::kAllPairKinds) {
            const std::string name = std::string("BpsDelta/") + q64::samples::PairKindName(kind) + "/" +
                                     std::to_string(mib) + "MiB/";
            benchmark::RegisterBenchmark((name + "flips").c_str(), Flips, kind, mib)
                ->UseManualTime()
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((name + "ours").c_str(), Ours, kind, mib, q64::BpsMethod::Delta)
                ->UseManualTime()
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((name + "linear").c_str(), Ours, kind, mib, q64::BpsMethod::Linear)
                ->UseManualTime()
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

} // namespace
