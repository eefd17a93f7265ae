// Runs a fuzz target's entry point once over every file it is given (folders:
// every file in them, in name order, hidden files skipped), built with the
// normal compiler and no fuzzer, so the test suite replays the seed corpora and
// every input that once found a fault. A failing input aborts the process.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE|FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path given(argv[i]);
        std::error_code ec;
        if (fs::is_directory(given, ec)) {
            std::vector<fs::path> found;
            for (const auto& entry : fs::directory_iterator(given, ec))
                if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                    found.push_back(entry.path());
            std::sort(found.begin(), found.end());
            inputs.insert(inputs.end(), found.begin(), found.end());
        } else if (fs::is_regular_file(given, ec)) {
            inputs.push_back(given);
        } else {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 2;
        }
    }
    for (const fs::path& input : inputs) {
        const q64::fuzz::Bytes bytes = q64::fuzz::GetFile(input.string());
        std::fprintf(stderr, "%s (%zu bytes)\n", input.c_str(), bytes.size());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
