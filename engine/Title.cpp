#include "engine/Title.h"

#include <cstdio>

#include "engine/Backup.h"
#include "engine/ByteOrder.h"
#include "engine/OperationIo.h"

namespace q64 {

std::array<std::uint8_t, header::kTitleLength> TitleBytes(const std::string& text, ImageFormat format) {
    std::array<std::uint8_t, header::kTitleLength> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '};
    if (format == ImageFormat::ByteSwapped) SwapBytePairs(bytes.data(), bytes.size());
    return bytes;
}

EngineResult EditTitle(RomImage& image, BackupMode mode, const std::string& text) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (!HasImageBit(image.GetKind())) return Failure(image, EngineResult::ErrFailed, messages::kNotAnyImage);
    if (text.size() > header::kTitleLength)
        return Failure(image, EngineResult::ErrFormat, "Title is Longer than 20 Characters");
    const std::string& path = image.Path();
    if (!CanOpenForReading(path)) return Failure(image, EngineResult::ErrOpen, messages::kOpenForRead);

    InPlaceChange change;
    const EngineResult begun = change.Begin(path, mode);
    if (begun == EngineResult::ErrBackup) return Failure(image, begun, messages::kBackup);
    if (begun != EngineResult::Ok) return Failure(image, begun, messages::kWrite);
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        change.Rollback();
        return Failure(image, EngineResult::ErrOpen, messages::kOpenForWrite);
    }
    const auto bytes = TitleBytes(text, image.ByteOrder());
    bool ok = std::fseek(file, static_cast<long>(header::kTitle), SEEK_SET) == 0 &&
              WriteAll(file, bytes.data(), bytes.size());
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        change.Rollback();
        return Failure(image, EngineResult::ErrFailed, messages::kWrite);
    }
    change.Commit();
    return EngineResult::Ok;
}

} // namespace q64
