// Making and applying patches for a 256-Mbit image with 1% of its bytes
// changed in scattered runs (IPS on the first 128 Mbit, all it can reach),
// with the patch size against the changed bytes as counters. BPS is made both
// ways: delta (the default) and linear. Moved and shifted data, and the
// comparison with Flips, are in BpsDelta_bench.cpp. The floor to
// compare with is BM_IpsPlainBufferedCopy256Mbit: a buffered copy of the image.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "engine/BpsDelta.h"
#include "engine/BpsPatch.h"
#include "engine/PatchMaker.h"
#include "engine/Patches.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"

namespace {

using q64::samples::Bytes;

constexpr std::size_t kImageBytes = 256 * 131072; // 256 Mbit
constexpr std::size_t kIpsBytes = 128 * 131072;   // 16 MiB: the reach of IPS

// Runs of 1 to 64 bytes at random places, a quarter of them one repeated
// value, until 1% of the bytes differ. Returns the count that differs.
std::size_t ChangeOnePercent(Bytes& image, std::uint32_t seed) {
    const Bytes original = image;
    std::size_t changed = 0;
    std::uint32_t x = seed;
    auto next = [&x] { return x = x * 1103515245u + 12345u; };
    while (changed < image.size() / 100) {
        const std::size_t at = (std::size_t{next()} << 8 ^ next()) % image.size();
        const std::size_t length = 1 + next() % 64;
        const bool fill = next() % 4 == 0;
        const auto value = static_cast<std::uint8_t>(next() >> 16);
        for (std::size_t k = at; k < std::min(image.size(), at + length); ++k) {
            const bool was = image[k] != original[k];
            image[k] = fill ? value : static_cast<std::uint8_t>(image[k] ^ (1 + (next() >> 16) % 255));
            const bool is = image[k] != original[k];
            if (is && !was) ++changed;
            if (was && !is) --changed;
        }
    }
    return changed;
}

struct Pair {
    Bytes original;
    Bytes modified;
    std::size_t changed = 0;
};

Pair MakePair(std::size_t size) {
    q64::samples::ImageRecipe recipe;
    recipe.sizeBytes = size;
    Pair p;
    p.original = q64::samples::MakeImage(recipe);
    p.modified = p.original;
    p.changed = ChangeOnePercent(p.modified, 4242);
    return p;
}

const Pair& Full() {
    static const Pair pair = MakePair(kImageBytes);
    return pair;
}
const Pair& IpsReach() {
    static const Pair pair = MakePair(kIpsBytes);
    return pair;
}

void SizeCounters(benchmark::State& state, std::size_t patch, std::size_t changed) {
    state.counters["patch_bytes"] = static_cast<double>(patch);
    state.counters["changed_bytes"] = static_cast<double>(changed);
    state.counters["patch_per_changed"] = static_cast<double>(patch) / static_cast<double>(changed);
}

// ---- in memory: the encoders alone -----------------------------------------------

void BM_BpsLinearMake256MbitInMemory(benchmark::State& state) {
    const Pair& p = Full();
    std::size_t size = 0;
    for (auto _ : state) {
        const Bytes patch = q64::MakeBpsPatch(p.original.data(), p.original.size(), p.modified.data(), p.modified.size());
        size = patch.size();
    }
    SizeCounters(state, size, p.changed);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageBytes));
}
BENCHMARK(BM_BpsLinearMake256MbitInMemory)->Unit(benchmark::kMillisecond);

void BM_BpsDeltaMake256MbitInMemory(benchmark::State& state) {
    const Pair& p = Full();
    std::size_t size = 0;
    for (auto _ : state) {
        const Bytes patch =
            q64::MakeBpsDeltaPatch(p.original.data(), p.original.size(), p.modified.data(), p.modified.size());
        size = patch.size();
    }
    SizeCounters(state, size, p.changed);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageBytes));
}
BENCHMARK(BM_BpsDeltaMake256MbitInMemory)->Unit(benchmark::kMillisecond);

void BM_IpsMake128MbitInMemory(benchmark::State& state) {
    const Pair& p = IpsReach();
    Bytes patch;
    for (auto _ : state)
        q64::MakeIpsPatch(p.original.data(), p.original.size(), p.modified.data(), p.modified.size(), patch);
    SizeCounters(state, patch.size(), p.changed);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kIpsBytes));
}
BENCHMARK(BM_IpsMake128MbitInMemory)->Unit(benchmark::kMillisecond);

// ---- on disk: read both images, make, write; and apply -----------------------------

using Folder = q64::bench::BenchFolder;

void CreateOnDisk(benchmark::State& state, const Pair& p, q64::PatchKind kind, std::size_t imageBytes,
                  q64::BpsMethod method = q64::BpsMethod::Delta) {
    Folder folder;
    const std::string original = folder.File("GAME.z64");
    const std::string modified = folder.File("HACK.z64");
    const std::string out = folder.File("fix.pat");
    q64::samples::WriteFile(original, p.original);
    q64::samples::WriteFile(modified, p.modified);
    q64::RomImage image;
    for (auto _ : state) {
        image.Identify(original);
        if (q64::CreatePatch(image, modified, out, kind, method) != q64::EngineResult::Ok) state.SkipWithError("create failed");
        image.Clear();
    }
    SizeCounters(state, static_cast<std::size_t>(std::filesystem::file_size(out)), p.changed);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(imageBytes));
}

void ApplyOnDisk(benchmark::State& state, const Pair& p, const Bytes& patch, std::size_t imageBytes) {
    Folder folder;
    const std::string game = folder.File("GAME.z64");
    const std::string fix = folder.File("fix.pat");
    q64::samples::WriteFile(fix, patch);
    q64::RomImage image;
    for (auto _ : state) {
        state.PauseTiming();
        q64::samples::WriteFile(game, p.original);
        image.Identify(game);
        state.ResumeTiming();
        if (q64::ApplyPatch(image, q64::BackupMode::Temporary, fix) != q64::EngineResult::Ok)
            state.SkipWithError("apply failed");
        image.Clear();
    }
    SizeCounters(state, patch.size(), p.changed);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(imageBytes));
}

void BM_BpsCreate256Mbit(benchmark::State& state) { CreateOnDisk(state, Full(), q64::PatchKind::Bps, kImageBytes); }
BENCHMARK(BM_BpsCreate256Mbit)->Unit(benchmark::kMillisecond);

void BM_BpsLinearCreate256Mbit(benchmark::State& state) {
    CreateOnDisk(state, Full(), q64::PatchKind::Bps, kImageBytes, q64::BpsMethod::Linear);
}
BENCHMARK(BM_BpsLinearCreate256Mbit)->Unit(benchmark::kMillisecond);

void BM_BpsApply256Mbit(benchmark::State& state) {
    const Pair& p = Full();
    ApplyOnDisk(state, p, q64::MakeBpsPatch(p.original.data(), p.original.size(), p.modified.data(), p.modified.size()),
                kImageBytes);
}
BENCHMARK(BM_BpsApply256Mbit)->Unit(benchmark::kMillisecond);

void BM_IpsCreate128Mbit(benchmark::State& state) { CreateOnDisk(state, IpsReach(), q64::PatchKind::Ips, kIpsBytes); }
BENCHMARK(BM_IpsCreate128Mbit)->Unit(benchmark::kMillisecond);

void BM_IpsApply128Mbit(benchmark::State& state) {
    const Pair& p = IpsReach();
    Bytes patch;
    q64::MakeIpsPatch(p.original.data(), p.original.size(), p.modified.data(), p.modified.size(), patch);
    ApplyOnDisk(state, p, patch, kIpsBytes);
}
BENCHMARK(BM_IpsApply128Mbit)->Unit(benchmark::kMillisecond);

} // namespace
