#include "engine/OperationIo.h"

#include <filesystem>
#include <new>
#include <sys/stat.h>

#include "engine/FileChange.h"
#include "engine/RomImage.h"

namespace q64 {

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
    return CommitChange(image, change);
}

EngineResult CommitChange(RomImage& image, FileChange& change) {
    const EngineResult committed = change.Commit();
    if (committed != EngineResult::Ok) return Failure(image, committed, change.Message().c_str());
    image.NoteBackup(change.BackupPath());
    return EngineResult::Ok;
}

WholeRead ReadWholeStream(std::FILE* file, std::uint64_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    const std::int64_t size = StreamSize(file);
    const long at = std::ftell(file);
    if (size < 0 || at < 0 || at > size) return WholeRead::Failed;
    if (static_cast<std::uint64_t>(size - at) > limit) return WholeRead::TooLarge;
    try {
        out.resize(static_cast<std::size_t>(size - at));
    } catch (const std::bad_alloc&) {
        return WholeRead::TooLarge;
    }
    std::uint8_t extra = 0;
    if (ReadUpTo(file, out.data(), out.size()) != out.size() || ReadUpTo(file, &extra, 1) != 0 || std::ferror(file)) {
        out.clear();
        return WholeRead::Failed;
    }
    return WholeRead::Ok;
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out, bool& tooLarge,
                   std::string& message) {
    tooLarge = false;
    out.clear();
    std::FILE* f = OpenForReading(path, message);
    if (!f) return false;
    const WholeRead read = ReadWholeStream(f, limit, out);
    std::fclose(f);
    tooLarge = read == WholeRead::TooLarge;
    if (read == WholeRead::Failed) message = "Unable to read " + path;
    return read == WholeRead::Ok;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace q64
