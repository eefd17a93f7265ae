#include "engine/OperationIo.h"

#include <sys/stat.h>

#include "engine/RomImage.h"

namespace q64 {

bool CanOpenForReading(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

std::int64_t FileSizeOnDisk(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::int64_t StreamSize(std::FILE* file) {
    struct stat st {};
    if (::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::size_t ReadUpTo(std::FILE* file, std::uint8_t* out, std::size_t count) {
    std::size_t total = 0;
    while (total < count) {
        const std::size_t n = std::fread(out + total, 1, count - total, file);
        if (n == 0) break;
        total += n;
    }
    return total;
}

bool WriteAll(std::FILE* file, const std::uint8_t* bytes, std::size_t count) {
    return count == 0 || std::fwrite(bytes, 1, count, file) == count;
}

EngineResult Failure(const RomImage& image, EngineResult result, const char* text) {
    image.Report(text);
    return result;
}

} // namespace q64
