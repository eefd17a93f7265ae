// Applying an IPS patch of 10,000 records to a 256-Mbit image, next to a plain
// buffered copy of the same bytes (the in-place style copies the image once
// for its backup, so the copy is the floor).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/IpsPatch.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"

namespace {

constexpr std::size_t kImageBytes = 256 * 131072; // 256 Mbit
constexpr int kRecords = 10000;

struct PatchSetup {
    std::string folder;
    std::string image;
    std::string patch;
    std::string copy;
    PatchSetup() {
        std::string pattern = (std::filesystem::temp_directory_path() / "q64bench-ips-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        image = folder + "/BIG.z64";
        patch = folder + "/fix.ips";
        copy = folder + "/copy.z64";
        q64::samples::ImageSpec spec;
        spec.sizeBytes = kImageBytes;
        q64::samples::WriteFile(image, q64::samples::MakeImage(spec));
        // Records spread over the first 16 MiB (the reach of a 3-byte offset):
        // three data records of 1..16 bytes to every run of up to 64.
        std::vector<q64::samples::IpsRecord> records;
        std::uint32_t x = 12345;
        for (int i = 0; i < kRecords; ++i) {
            x = x * 1103515245u + 12345u;
            q64::samples::IpsRecord r;
            r.offset = (x >> 4) % 0xFF0000u;
            if (r.offset == 0x454F46) ++r.offset;
            if (i % 4 == 3) {
                r.data = {static_cast<std::uint8_t>(x >> 24)};
                r.runLength = static_cast<std::uint16_t>(1 + (x >> 20) % 64);
            } else {
                r.data.assign(1 + (x >> 20) % 16, static_cast<std::uint8_t>(x >> 8));
            }
            records.push_back(r);
        }
        q64::samples::WriteFile(patch, q64::samples::MakeIps(records));
    }
    ~PatchSetup() { std::filesystem::remove_all(folder); }
};

PatchSetup& Setup() {
    static PatchSetup setup;
    return setup;
}

void ApplyOnce(benchmark::State& state, q64::BackupMode mode) {
    PatchSetup& s = Setup();
    q64::RomImage image;
    for (auto _ : state) {
        image.Identify(s.image);
        const q64::EngineResult r = q64::ApplyIpsPatch(image, mode, s.patch);
        if (r != q64::EngineResult::Ok) state.SkipWithError("patch failed");
        image.Clear();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageBytes));
}

void BM_IpsApply10000Records256Mbit(benchmark::State& state) { ApplyOnce(state, q64::BackupMode::Temporary); }
BENCHMARK(BM_IpsApply10000Records256Mbit)->Unit(benchmark::kMillisecond);

// Mode 3: no backup, so no copy: only the record writes.
void BM_IpsApply10000RecordsNoBackup(benchmark::State& state) { ApplyOnce(state, q64::BackupMode::NoneInPlace); }
BENCHMARK(BM_IpsApply10000RecordsNoBackup)->Unit(benchmark::kMillisecond);

// The floor: the same bytes copied through a 32768-byte buffer.
void BM_IpsPlainBufferedCopy256Mbit(benchmark::State& state) {
    PatchSetup& s = Setup();
    std::vector<unsigned char> buffer(q64::kWorkBufferSize);
    for (auto _ : state) {
        // A fresh file each time, as the patch's backup copy is (rewriting a
        // truncated file makes the file system flush it on close).
        std::remove(s.copy.c_str());
        std::FILE* in = std::fopen(s.image.c_str(), "rb");
        std::FILE* out = std::fopen(s.copy.c_str(), "wb");
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) std::fwrite(buffer.data(), 1, n, out);
        std::fclose(in);
        std::fclose(out);
    }
    std::remove(s.copy.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageBytes));
}
BENCHMARK(BM_IpsPlainBufferedCopy256Mbit)->Unit(benchmark::kMillisecond);

} // namespace
