// Verify Images: loading a DAT of 10,000 and 20,000 games, and one element
// with 100,000 attributes (reading stays linear in them); verifying a folder of 8 MiB
// images cold (every image hashed) and warm (every hash from the cache, no
// image byte read); hashing throughput against sha1sum over the same file.
//
// The folder holds Q64_BENCH_VERIFY_IMAGES images (16 by default, to keep the
// default run short; set it to 1000 for the full measurement, 8 GB of disk).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "browser/VerifyImages.h"
#include "browser/cache/SqliteHashCache.h"
#include "engine/DatFile.h"
#include "engine/ImageHash.h"
#include "engine/SampleFiles.h"

namespace {

namespace fs = std::filesystem;

std::string TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "q64verify-XXXXXX").string();
    return ::mkdtemp(pattern.data());
}

std::string DatText(int games) {
    std::string text = "<?xml version=\"1.0\"?>\n<datafile>\n<header><name>Bench</name></header>\n";
    char line[400];
    for (int i = 0; i < games; ++i) {
        std::snprintf(line, sizeof line,
                      "<game name=\"Game %05d (E)\">\n<description>Game %05d (E)</description>\n"
                      "<rom name=\"Game %05d (E).z64\" size=\"8388608\" crc=\"%08x\" md5=\"%032x\" "
                      "sha1=\"%040x\"/>\n</game>\n",
                      i, i, i, static_cast<unsigned>(i * 2654435761u), i, i);
        text += line;
    }
    return text + "</datafile>\n";
}

void BM_DatLoadGames(benchmark::State& state) {
    const std::string text = DatText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        q64::DatFile dat;
        std::string message;
        if (!q64::ParseDat(text, dat, message)) state.SkipWithError(message.c_str());
        q64::DatIndex index(dat);
        benchmark::DoNotOptimize(index);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_DatLoadGames)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_DatManyAttributes(benchmark::State& state) {
    std::string text = "<datafile><game name=\"g\"";
    for (int i = 0; i < state.range(0); ++i) text += " a" + std::to_string(i) + "=\"v\"";
    text += "/></datafile>";
    for (auto _ : state) {
        q64::DatFile dat;
        std::string message;
        if (!q64::ParseDat(text, dat, message)) state.SkipWithError(message.c_str());
        benchmark::DoNotOptimize(dat);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_DatManyAttributes)->Arg(100000)->Unit(benchmark::kMillisecond);

int ImageCount() {
    const char* text = std::getenv("Q64_BENCH_VERIFY_IMAGES");
    const int count = text ? std::atoi(text) : 16;
    return count > 0 ? count : 16;
}

// A folder of 8 MiB images in the three orders and the DAT listing half of them.
struct ImageFolder {
    std::string path;
    q64::DatFile dat;
    std::unique_ptr<q64::DatIndex> index;
    std::int64_t bytes = 0;
    explicit ImageFolder(int count) : path(TempFolder()) {
        std::string text = "<datafile>";
        for (int i = 0; i < count; ++i) {
            q64::samples::ImageRecipe recipe;
            recipe.sizeBytes = 8 << 20;
            recipe.seed = static_cast<std::uint32_t>(i + 1);
            recipe.format = static_cast<q64::ImageFormat>(i % 3);
            const auto bytesOut = q64::samples::MakeImage(recipe);
            q64::samples::WriteFile(path + "/img" + std::to_string(i) + ".rom", bytesOut);
            bytes += static_cast<std::int64_t>(bytesOut.size());
            if (i % 2 == 0) {
                recipe.format = q64::ImageFormat::BigEndian;
                const auto canonical = q64::samples::MakeImage(recipe);
                q64::Sha1 sha1;
                sha1.Update(canonical.data(), canonical.size());
                text += "<game name=\"G" + std::to_string(i) + "\"><rom name=\"G.z64\" size=\"8388608\" sha1=\"" +
                        q64::HexDigest(sha1.Finish()) + "\"/></game>";
            }
        }
        std::string message;
        q64::ParseDat(text + "</datafile>", dat, message);
        index = std::make_unique<q64::DatIndex>(dat);
    }
    ~ImageFolder() { fs::remove_all(path); }
};

ImageFolder& Folder() {
    static ImageFolder folder(ImageCount());
    return folder;
}

void BM_VerifyFolderCold(benchmark::State& state) {
    ImageFolder& folder = Folder();
    const std::string cachePath = folder.path + ".cache/hashes.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder.path + ".cache");
        state.ResumeTiming();
        q64::SqliteHashCache cache(cachePath);
        const auto rows = q64::VerifyFiles({folder.path}, *folder.index, &cache, {});
        benchmark::DoNotOptimize(rows);
    }
    fs::remove_all(folder.path + ".cache");
    state.counters["images"] = ImageCount();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * folder.bytes);
}
BENCHMARK(BM_VerifyFolderCold)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_VerifyFolderWarm(benchmark::State& state) {
    ImageFolder& folder = Folder();
    const std::string cachePath = folder.path + ".warm/hashes.sqlite";
    {
        q64::SqliteHashCache cache(cachePath);
        q64::VerifyFiles({folder.path}, *folder.index, &cache, {});
    }
    std::int64_t hashed = 0;
    for (auto _ : state) {
        q64::SqliteHashCache cache(cachePath);
        const auto rows = q64::VerifyFiles({folder.path}, *folder.index, &cache, {});
        for (const auto& row : rows) hashed += row.fromCache ? 0 : 1;
    }
    fs::remove_all(folder.path + ".warm");
    state.counters["images"] = ImageCount();
    state.counters["imagesRead"] = static_cast<double>(hashed); // must stay 0: nothing read
}
BENCHMARK(BM_VerifyFolderWarm)->Unit(benchmark::kMillisecond);

struct BigFile {
    std::string folder = TempFolder();
    std::string path = folder + "/big.n64";
    std::int64_t size = 64 << 20;
    BigFile() {
        q64::samples::ImageRecipe recipe;
        recipe.sizeBytes = static_cast<std::size_t>(size);
        recipe.format = q64::ImageFormat::LittleEndian;
        q64::samples::WriteFile(path, q64::samples::MakeImage(recipe));
    }
    ~BigFile() { fs::remove_all(folder); }
};

BigFile& Big() {
    static BigFile file;
    return file;
}

void BM_HashImage64MiB(benchmark::State& state) {
    BigFile& file = Big();
    for (auto _ : state) {
        q64::ImageHashes hashes;
        std::string message;
        q64::HashImageFile(file.path, hashes, {}, message);
        benchmark::DoNotOptimize(hashes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * file.size);
}
BENCHMARK(BM_HashImage64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Sha1sum64MiB(benchmark::State& state) {
    BigFile& file = Big();
    const std::string command = "sha1sum '" + file.path + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("sha1sum failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * file.size);
}
BENCHMARK(BM_Sha1sum64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
