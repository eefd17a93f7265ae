#pragma once
// Writing a new 20-character title into an image header.

#include <array>
#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"
#include "engine/RomImage.h"

namespace q64 {

// The 20 title bytes as stored in a file of `format`: the text unchanged (no
// trimming), padded with spaces, each pair swapped for ByteSwapped, each
// word reversed for LittleEndian. The text
// must not be longer than 20 characters.
std::array<std::uint8_t, header::kTitleLength> TitleBytes(const std::string& text, ImageFormat format);

// Writes `text` as the title of the loaded image (compressed ones included:
// their header is stored as is), in place: only the 20 bytes at 0x20 change.
// Backup first unless the mode is NoneInPlace. ErrNotLoaded; ErrFormat for a
// text over 20 characters; ErrFailed for a file that is not an image or a
// write failure (the file is restored from its backup); ErrOpen; ErrBackup.
EngineResult EditTitle(RomImage& image, BackupMode mode, const std::string& text);

} // namespace q64
