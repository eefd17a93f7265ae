// Listing a folder of 10,000 files the way the file list does: every entry
// identified (64-byte header read) with previews on, names only with them off.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/Settings.h"
#include "browser/FileListModel.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"

namespace {

// 10,000 files: a quarter small images, a quarter text, half of no known kind.
struct BigFolder {
    std::string path;
    BigFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "q64list-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        q64::samples::ImageRecipe recipe;
        recipe.sizeBytes = 4096;
        const auto image = q64::samples::MakeImage(recipe);
        const auto text = q64::samples::MakeText();
        const auto other = q64::samples::MakeUnknown();
        for (int i = 0; i < 10000; ++i) {
            const std::string name = path + "/file" + std::to_string(i);
            switch (i % 4) {
            case 0: q64::samples::WriteFile(name + ".z64", image); break;
            case 1: q64::samples::WriteFile(name + ".txt", text); break;
            default: q64::samples::WriteFile(name + ".dat", other); break;
            }
        }
    }
    ~BigFolder() { std::filesystem::remove_all(path); }
};

const BigFolder& Folder() {
    static const BigFolder folder;
    return folder;
}

void ListTenThousand(benchmark::State& state) {
    q64::RomImage image;
    q64::Settings settings;
    settings.PreviewDir = static_cast<int>(state.range(0));
    q64::FileListModel model(image, settings);
    model.SetFolder(Folder().path);
    std::size_t steps = 0;
    q64::FileListModel::Listener listener;
    listener.listingStep = [&steps](std::size_t) { return ++steps, true; };
    model.SetListener(listener);
    for (auto _ : state) {
        model.FillList();
        benchmark::DoNotOptimize(model.Rows().size());
    }
    state.counters["rows"] = static_cast<double>(model.Rows().size());
    state.counters["steps_per_pass"] = static_cast<double>(steps) / static_cast<double>(state.iterations());
}
BENCHMARK(ListTenThousand)->Arg(1)->Arg(0)->ArgName("previews")->Unit(benchmark::kMillisecond);

} // namespace
