#include "engine/Title.h"

#include <cstdio>

#include "engine/ByteOrder.h"
#include "engine/OperationIo.h"

namespace q64 {

std::array<std::uint8_t, header::kTitleLength> TitleBytes(const std::string& text, ImageFormat format) {
    std::array<std::uint8_t, header::kTitleLength> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '};
    FromCanonical(bytes.data(), bytes.size(), format); // 0x20..0x33: five whole words
    return bytes;
}

EngineResult EditTitle(RomImage& image, BackupMode mode, const std::string& text) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (!HasImageBit(image.GetKind())) return Failure(image, EngineResult::ErrFailed, messages::kNotAnyImage);
    if (text.size() > header::kTitleLength)
        return Failure(image, EngineResult::ErrFormat, "Title is Longer than 20 Characters");
    const auto bytes = TitleBytes(text, image.ByteOrder());
    return WriteInPlace(image, mode, static_cast<long>(header::kTitle), bytes.data(), bytes.size());
}

} // namespace q64
