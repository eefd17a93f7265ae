#include "engine/OperationIo.h"

#include <sys/stat.h>

#include "engine/FileChange.h"
#include "engine/RomImage.h"

namespace q64 {

bool CanOpenForReading(const std::string& path) {
    std::FILE* f = OpenForReading(path);
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
    FileChange change;
    const EngineResult begun = change.BeginInPlace(image.Path(), mode);
    if (begun != EngineResult::Ok) return Failure(image, begun, change.Message().c_str());
    if (!change.WriteAt(static_cast<std::uint64_t>(offset), bytes, count)) {
        const std::string why = change.Message();
        change.Rollback();
        return Failure(image, EngineResult::ErrFailed, why.c_str());
    }
    const EngineResult committed = change.Commit();
    if (committed != EngineResult::Ok) return Failure(image, committed, change.Message().c_str());
    return EngineResult::Ok;
}

} // namespace q64
