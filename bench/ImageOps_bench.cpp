// The file operations on a 256-Mbit image, each timed next to a plain buffered
// copy of the same bytes on the same machine that also swaps byte pairs and
// flushes the copy to disk before closing it (what `dd conv=swab,fsync` does,
// and what every change of a file now does before it replaces the file):
// "ms" is the operation, "copy_ms" the copy, "x_copy" their ratio (the aim is
// at most 1.2), "sync_ms" the part of the copy spent flushing. Compress
// and decompress also show "zlib_ms": the library alone on the same bytes in
// memory in one call, the floor no streaming implementation can go below.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>
#include <unistd.h>
#include <utility>
#include <zlib.h>

#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/Compression.h"
#include "engine/Resize.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"

namespace {

constexpr std::int64_t kImageBytes = 256 * q64::kBytesPerMbit; // 32 MiB

struct Workspace {
    std::string folder;
    std::string plain;  // the 256-Mbit image
    std::string packed; // the same image compressed at level 6
    Workspace() {
        std::string pattern = (std::filesystem::temp_directory_path() / "q64bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        q64::samples::ImageRecipe recipe;
        recipe.sizeBytes = static_cast<std::size_t>(kImageBytes);
        plain = folder + "/plain.z64";
        packed = folder + "/packed.z64";
        q64::samples::WriteFile(plain, q64::samples::MakeImage(recipe));
        q64::samples::WriteFile(packed, q64::samples::MakeCompressedImage(recipe, 6));
    }
    ~Workspace() { std::filesystem::remove_all(folder); }
};

Workspace& Files() {
    static Workspace workspace;
    return workspace;
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The floor each operation is compared with: fopen, 32768-byte fread, pair
// swap, fwrite of `bytes` bytes of `from` into a new file, fflush, fsync,
// fclose. Returns the seconds the fsync took.
double PlainCopy(const std::string& from, const std::string& to, std::int64_t bytes) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = std::fopen(to.c_str(), "wb");
    std::vector<unsigned char> buffer(32768);
    while (bytes > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(bytes, 32768));
        const std::size_t n = std::fread(buffer.data(), 1, want, in);
        if (n == 0) break;
        for (std::size_t i = 0; i + 1 < n; i += 2) std::swap(buffer[i], buffer[i + 1]);
        std::fwrite(buffer.data(), 1, n, out);
        bytes -= static_cast<std::int64_t>(n);
    }
    std::fclose(in);
    std::fflush(out);
    const double sync = Seconds([&] { ::fsync(::fileno(out)); });
    std::fclose(out);
    return sync;
}

// Runs `operation` on a fresh copy of `source` (made untimed when `freshCopy`)
// and a plain copy of `copyBytes` bytes of that file, reporting both.
void RunAgainstCopy(benchmark::State& state, const std::string& source, bool freshCopy, std::int64_t copyBytes,
                    const std::function<q64::EngineResult(q64::RomImage&)>& operation,
                    const std::function<void()>& libraryAlone = {}) {
    const std::string work = Files().folder + "/work.z64";
    const std::string copy = Files().folder + "/copy.bin";
    if (!freshCopy) std::filesystem::copy_file(source, work, std::filesystem::copy_options::overwrite_existing);
    double operationTotal = 0, copyTotal = 0, libraryTotal = 0, syncTotal = 0;
    for (auto _ : state) {
        if (freshCopy) std::filesystem::copy_file(source, work, std::filesystem::copy_options::overwrite_existing);
        q64::RomImage image;
        q64::EngineResult result = q64::EngineResult::ErrFailed;
        const double op = Seconds([&] {
            if (image.Identify(work) == q64::EngineResult::Ok) result = operation(image);
        });
        if (result != q64::EngineResult::Ok) state.SkipWithError("operation failed");
        const double plain = Seconds([&] { syncTotal += PlainCopy(work, copy, copyBytes); });
        std::remove(copy.c_str());
        if (libraryAlone) libraryTotal += Seconds(libraryAlone);
        state.SetIterationTime(op);
        operationTotal += op;
        copyTotal += plain;
    }
    std::remove(work.c_str());
    const double n = static_cast<double>(state.iterations());
    state.counters["copy_ms"] = copyTotal / n * 1000.0;
    state.counters["x_copy"] = copyTotal > 0 ? operationTotal / copyTotal : 0;
    state.counters["sync_ms"] = syncTotal / n * 1000.0;
    if (libraryAlone) {
        state.counters["zlib_ms"] = libraryTotal / n * 1000.0;
        state.counters["x_zlib"] = libraryTotal > 0 ? operationTotal / libraryTotal : 0;
    }
    state.SetBytesProcessed(state.iterations() * copyBytes);
}

void BM_Checksum256Mbit(benchmark::State& state) {
    RunAgainstCopy(state, Files().plain, false, q64::checksum::kDataEnd, [](q64::RomImage& image) {
        q64::ChecksumValues values;
        return q64::CalcChecksum(image, q64::BackupMode::Temporary, q64::ChecksumFix::No, values);
    });
}
BENCHMARK(BM_Checksum256Mbit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// Fixing the checksums rewrites the whole file through a flushed copy.
void BM_ChecksumFix256Mbit(benchmark::State& state) {
    RunAgainstCopy(state, Files().plain, true, kImageBytes, [](q64::RomImage& image) {
        q64::ChecksumValues values;
        return q64::CalcChecksum(image, q64::BackupMode::Temporary, q64::ChecksumFix::Yes, values);
    });
}
BENCHMARK(BM_ChecksumFix256Mbit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Flip256Mbit(benchmark::State& state) {
    RunAgainstCopy(state, Files().plain, false, kImageBytes, [](q64::RomImage& image) {
        return q64::FlipByteOrder(image, q64::BackupMode::Temporary, {});
    });
}
BENCHMARK(BM_Flip256Mbit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Resize256MbitTo256(benchmark::State& state) {
    RunAgainstCopy(state, Files().plain, false, kImageBytes, [](q64::RomImage& image) {
        return q64::ResizeImage(image, kImageBytes, q64::BackupMode::Temporary, {});
    });
}
BENCHMARK(BM_Resize256MbitTo256)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Growing from 128 to 256 Mbit: half copy, half zero padding; compared with a
// copy of the 256-Mbit result.
void BM_Resize128MbitTo256(benchmark::State& state) {
    static const std::string half = [] {
        const std::string path = Files().folder + "/half.z64";
        PlainCopy(Files().plain, path, kImageBytes / 2);
        return path;
    }();
    RunAgainstCopy(state, half, true, kImageBytes, [](q64::RomImage& image) {
        return q64::ResizeImage(image, kImageBytes, q64::BackupMode::Temporary, {});
    });
}
BENCHMARK(BM_Resize128MbitTo256)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Compress256Mbit(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    static const q64::samples::Bytes body = q64::samples::ReadFile(Files().plain);
    RunAgainstCopy(
        state, Files().plain, true, kImageBytes,
        [level](q64::RomImage& image) { return q64::CompressImage(image, level, q64::BackupMode::Temporary, {}); },
        [level] {
            uLongf size = compressBound(static_cast<uLong>(body.size()));
            std::vector<Bytef> out(size);
            compress2(out.data(), &size, body.data() + 64, static_cast<uLong>(body.size() - 64), level);
        });
}
BENCHMARK(BM_Compress256Mbit)->Arg(0)->Arg(1)->Arg(6)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Decompress256Mbit(benchmark::State& state) {
    const std::int64_t packedBytes = static_cast<std::int64_t>(std::filesystem::file_size(Files().packed));
    static const q64::samples::Bytes packed = q64::samples::ReadFile(Files().packed);
    RunAgainstCopy(
        state, Files().packed, true, packedBytes,
        [](q64::RomImage& image) { return q64::DecompressImage(image, q64::BackupMode::Temporary, {}); },
        [] {
            uLongf size = static_cast<uLongf>(kImageBytes);
            std::vector<Bytef> out(size);
            uncompress(out.data(), &size, packed.data() + 68, static_cast<uLong>(packed.size() - 68));
        });
}
BENCHMARK(BM_Decompress256Mbit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
