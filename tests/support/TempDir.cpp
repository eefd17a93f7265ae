#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace q64::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "q64test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make everything writable again so removal works after permission tests.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const samples::Bytes& bytes) const {
    const std::string path = File(name);
    if (!samples::WriteFile(path, bytes)) throw std::runtime_error("cannot write " + path);
    return path;
}

samples::Bytes TempDir::Read(const std::string& name) const { return samples::ReadFile(File(name)); }

bool TempDir::Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

std::vector<std::string> TempDir::Names() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ec)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace q64::test
