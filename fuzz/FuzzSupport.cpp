#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace q64::fuzz {

namespace {

std::string& Folder() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    std::error_code ec;
    if (!Folder().empty()) std::filesystem::remove_all(Folder(), ec);
}

void MakeFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/q64-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("q64 fuzz: mkdtemp");
        std::abort();
    }
    Folder() = pattern;
    std::atexit(RemoveFolder);
}

} // namespace

const std::string& Scratch() {
    if (Folder().empty()) MakeFolder();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(Folder(), ec)) {
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
    return Folder();
}

std::string InScratch(const std::string& name) {
    if (Folder().empty()) MakeFolder();
    return Folder() + "/" + name;
}

std::vector<std::string> ScratchNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(Folder(), ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string PutFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = InScratch(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    Require(fd >= 0, "cannot create a file in the scratch folder");
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        Require(n > 0, "cannot write a file in the scratch folder");
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    Require(::close(fd) == 0, "cannot close a file in the scratch folder");
    return path;
}

std::string PutFile(const std::string& name, const Bytes& bytes) { return PutFile(name, bytes.data(), bytes.size()); }

Bytes GetFile(const std::string& path) {
    Bytes out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return out;
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    ::close(fd);
    return out;
}

Bytes PatternBytes(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    return bytes;
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "q64 fuzz: expectation failed: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

} // namespace q64::fuzz
