#pragma once
// A fresh temporary folder for one benchmark, removed with everything in it.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace q64::bench {

struct BenchFolder {
    std::string path;
    BenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "q64bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~BenchFolder() { std::filesystem::remove_all(path); }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    std::string File(const std::string& name) const { return path + "/" + name; }
};

} // namespace q64::bench
