// The ROM list of a folder of 10000 files (half images, half text) next to
// the file list's own listing of the same folder: the report should cost no
// more than a listing plus one write.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "browser/FileListModel.h"
#include "browser/RomListReport.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"

namespace {

struct ReportFolder {
    std::string path;
    std::string out;
    explicit ReportFolder(int count) {
        std::string pattern = (std::filesystem::temp_directory_path() / "q64bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        std::string outPattern = (std::filesystem::temp_directory_path() / "q64bench-XXXXXX").string();
        out = std::string(::mkdtemp(outPattern.data())) + "/list.txt";
        q64::samples::ImageRecipe recipe;
        recipe.sizeBytes = 4096;
        const auto image = q64::samples::MakeImage(recipe);
        const auto text = q64::samples::MakeText();
        for (int i = 0; i < count; ++i)
            q64::samples::WriteFile(path + "/f" + std::to_string(i) + (i % 2 ? ".z64" : ".txt"), i % 2 ? image : text);
    }
    ~ReportFolder() {
        std::filesystem::remove_all(path);
        std::filesystem::remove_all(std::filesystem::path(out).parent_path());
    }
};

void BM_RomListReport10000(benchmark::State& state) {
    static ReportFolder folder(10000);
    q64::RomImage image;
    const q64::RomListOptions options;
    for (auto _ : state) {
        const auto outcome = q64::ProduceRomList(image, folder.path, options, folder.out, {});
        benchmark::DoNotOptimize(outcome.entries);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_RomListReport10000)->Unit(benchmark::kMillisecond);

void BM_FillList10000(benchmark::State& state) {
    static ReportFolder folder(10000);
    q64::RomImage image;
    const q64::Settings settings;
    q64::FileListModel model(image, settings);
    model.SetFolder(folder.path);
    for (auto _ : state) {
        model.FillList();
        benchmark::DoNotOptimize(model.Rows().size());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_FillList10000)->Unit(benchmark::kMillisecond);

} // namespace
