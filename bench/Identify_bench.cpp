// Identification of a folder of files: the cost the file list pays per entry.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/RomImage.h"
#include "engine/SampleFiles.h"

namespace {

struct Folder {
    std::string path;
    std::vector<std::string> files;
    explicit Folder(int count) {
        std::string pattern = (std::filesystem::temp_directory_path() / "q64bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        q64::samples::ImageRecipe recipe;
        recipe.sizeBytes = 4096;
        const auto image = q64::samples::MakeImage(recipe);
        const auto text = q64::samples::MakeText();
        for (int i = 0; i < count; ++i) {
            const std::string file = path + "/f" + std::to_string(i) + (i % 2 ? ".z64" : ".txt");
            q64::samples::WriteFile(file, i % 2 ? image : text);
            files.push_back(file);
        }
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

void BM_IdentifyFolder10000(benchmark::State& state) {
    static Folder folder(10000);
    q64::RomImage image;
    for (auto _ : state) {
        for (const std::string& file : folder.files) {
            benchmark::DoNotOptimize(image.Identify(file));
            image.Clear();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(folder.files.size()));
}
BENCHMARK(BM_IdentifyFolder10000)->Unit(benchmark::kMillisecond);

// The floor: open, read 64 bytes and close each file.
void BM_OpenRead64CloseFolder10000(benchmark::State& state) {
    static Folder folder(10000);
    for (auto _ : state) {
        for (const std::string& file : folder.files) {
            std::FILE* f = std::fopen(file.c_str(), "rb");
            unsigned char head[64];
            benchmark::DoNotOptimize(std::fread(head, 1, sizeof head, f));
            std::fclose(f);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(folder.files.size()));
}
BENCHMARK(BM_OpenRead64CloseFolder10000)->Unit(benchmark::kMillisecond);

} // namespace
