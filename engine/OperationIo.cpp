#include "engine/OperationIo.h"

#include <sys/stat.h>

#include "engine/Backup.h"
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

EngineResult WriteInPlace(RomImage& image, BackupMode mode, long offset, const std::uint8_t* bytes, std::size_t count) {
    const std::string& path = image.Path();
    InPlaceChange change;
    const EngineResult begun = change.Begin(path, mode);
    if (begun == EngineResult::ErrBackup) return Failure(image, begun, messages::kBackup);
    if (begun != EngineResult::Ok) return Failure(image, begun, messages::kWrite);
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        change.Rollback();
        return Failure(image, EngineResult::ErrOpen, messages::kOpenForWrite);
    }
    bool ok = std::fseek(file, offset, SEEK_SET) == 0 && WriteAll(file, bytes, count);
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        change.Rollback();
        return Failure(image, EngineResult::ErrFailed, messages::kWrite);
    }
    change.Commit();
    return EngineResult::Ok;
}

} // namespace q64
