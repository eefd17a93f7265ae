#pragma once
// A fresh temporary folder per test, removed with everything in it afterwards.

#include <string>
#include <vector>

#include "engine/SampleFiles.h"

namespace q64::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Full path of `name` inside the folder.
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes `bytes` under `name`; returns the full path.
    std::string Write(const std::string& name, const samples::Bytes& bytes) const;
    samples::Bytes Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::string path_;
};

} // namespace q64::test
