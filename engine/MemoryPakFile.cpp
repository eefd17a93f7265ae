#include "engine/MemoryPakFile.h"

#include <algorithm>

#include "engine/FileChange.h"
#include "engine/OperationIo.h"
#include "engine/SaveConversion.h"

namespace q64 {

std::vector<std::uint8_t> PakFile::Bytes() const {
    return IsDexDrive() ? WrapDexDrive(pak, dexHeader) : pak;
}

void PakFile::ClearComment(int number) {
    if (!IsDexDrive() || number < 1 || number > mempak::kNoteCount) return;
    const auto at = dexHeader.begin() +
                    static_cast<std::ptrdiff_t>(dexdrive::kCommentsAt + dexdrive::kCommentSize * (number - 1));
    std::fill(at, at + static_cast<std::ptrdiff_t>(dexdrive::kCommentSize), 0);
}

EngineResult ReadPakFile(const std::string& path, PakFile& out, std::string& message) {
    std::vector<std::uint8_t> bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(path, dexdrive::kFileSize, bytes, tooLarge, message)) {
        if (!tooLarge) return EngineResult::ErrOpen;
        message = path + " is not a memory pak";
        return EngineResult::ErrFormat;
    }
    out = PakFile{};
    if (bytes.size() == mempak::kSize) {
        out.pak = std::move(bytes);
        return EngineResult::Ok;
    }
    if (bytes.size() == dexdrive::kFileSize && IsDexDriveImage(bytes.data(), bytes.size())) {
        out.dexHeader.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(dexdrive::kHeaderSize));
        out.pak.assign(bytes.begin() + static_cast<std::ptrdiff_t>(dexdrive::kHeaderSize), bytes.end());
        return EngineResult::Ok;
    }
    message = path + " is not a memory pak";
    return EngineResult::ErrFormat;
}

EngineResult RewritePakFile(const std::string& path, const PakFile& file, BackupMode mode, std::string& message,
                            std::string* backup) {
    return RewriteWholeFile(path, file.Bytes(), mode, message, backup);
}

} // namespace q64
