#pragma once
// The file a receive writes into: a temporary file in the target's folder that
// replaces the target only when Commit() is called. On any other way out (a
// failure, a cancel) the temporary file is removed and an existing target is
// left exactly as it was.

#include <cstdio>
#include <string>

namespace q64 {

class ReceiveFile {
public:
    explicit ReceiveFile(std::string target) : target_(std::move(target)) {}
    ~ReceiveFile() { Discard(); }
    ReceiveFile(const ReceiveFile&) = delete;
    ReceiveFile& operator=(const ReceiveFile&) = delete;

    // Creates the temporary file; false when the folder cannot take it.
    bool Create();
    // Writes all `count` bytes; false on a short write.
    bool Write(const void* bytes, std::size_t count);
    // Flushes, closes and renames over the target; false (and nothing changed)
    // when that fails.
    bool Commit();
    // Closes and removes the temporary file (no effect after Commit).
    void Discard();

    const std::string& Target() const { return target_; }
    const std::string& TempPath() const { return temp_; }

private:
    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
};

} // namespace q64
