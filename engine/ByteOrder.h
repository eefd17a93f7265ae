#pragma once
// The three byte orders an image file is stored in, and converting between
// them: "Doctor 64" (byte-swapped pairs), "SP64/WC/Z64" (big-endian, the
// canonical order every header offset and hash is given in) and
// little-endian (every 32-bit word reversed).

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

// Swaps bytes i and i+1 for every even i below count; an odd last byte stays.
void SwapBytePairs(std::uint8_t* bytes, std::size_t count);
// Reverses every complete 4-byte word; 1 to 3 trailing bytes stay.
void ReverseWords(std::uint8_t* bytes, std::size_t count);

// Brings `count` bytes of a file stored in `format` into canonical
// (big-endian) order in place. bytes[0] must be at a file offset that is a
// multiple of 4 (any even offset for ByteSwapped). Every other part of the
// program that needs an image's canonical bytes (hashing, sending, the
// checksum) goes through this one function.
void ToCanonical(std::uint8_t* bytes, std::size_t count, ImageFormat format);
// The reverse: canonical bytes into the order of `format`, in place.
void FromCanonical(std::uint8_t* bytes, std::size_t count, ImageFormat format);
// File bytes in order `from` into order `to`, in place (same alignment rule).
void ConvertOrder(std::uint8_t* bytes, std::size_t count, ImageFormat from, ImageFormat to);

// The usual file name extension of each order: ".v64", ".z64", ".n64".
const char* ExtensionFor(ImageFormat format);

// The name `path` takes for an image in `format` when it ends in a usual
// image extension (".z64", ".v64", ".n64", any letter case): the extension
// that fits `format`, in the letter case of the old one. Empty for any other
// name (and for a path that already fits).
std::string NameForOrder(const std::string& path, ImageFormat format);

// Whether a byte order change renames a file whose extension says its order.
enum class NameFollows { No, Yes };

// What "Compress" and "IPS Patch" say to a little-endian image.
inline constexpr const char* kConvertLittleEndianFirst =
    "Little-Endian Image: use Change Image Format to Convert it First";
inline constexpr const char* kNotWholeWords = "File Size is Not a Multiple of 4";

// "Change Image Format": a little-endian image becomes big-endian; otherwise
// the image toggles between byte-swapped and big-endian. Same contract as
// ConvertByteOrder.
// With NameFollows::Yes a name ending in a usual image extension changes
// with the order in the same step (NameForOrder; RomImage::RenamedTo tells
// the new path): refused with ErrFailed, nothing touched, when a file of that
// name exists. A symbolic link keeps its name.
EngineResult FlipByteOrder(RomImage& image, BackupMode mode, const ProgressFn& progress,
                           NameFollows follows = NameFollows::No);

// Rewrites the loaded uncompressed image in byte order `target`, so it reads
// with the same title and checksums. Rewrite style of the backup protocol;
// progress as the share of the file written. A conversion to the image's own
// order rewrites it unchanged. ErrNotLoaded; ErrFailed for any other kind
// (nothing touched) or a read/write failure; ErrFormat when little-endian is
// involved and the size is not a multiple of 4 (nothing touched); ErrBackup;
// ErrOpen when the file cannot be read or the new file cannot be created
// ("Unable to Open File for Write"); ErrCancelled. An odd last byte of a pair
// exchange is copied as it is. On every failure the file is back under its
// own name.
EngineResult ConvertByteOrder(RomImage& image, ImageFormat target, BackupMode mode, const ProgressFn& progress,
                              NameFollows follows = NameFollows::No);

} // namespace q64
