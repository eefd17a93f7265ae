#pragma once
// The compressed image container and the operations that make and undo it.
//
// Layout:
//   0   64 bytes  the image header as stored (own byte order), with the 0x12 of
//                 the boot word (file byte 2 big-endian, 3 byte-swapped) set to 0x13
//   64  4 bytes   S, the uncompressed file size, little-endian
//   68  ...       one zlib stream (zlib header, deflate, Adler-32) holding bytes
//                 64..S-1 of the uncompressed file

#include <cstddef>
#include <cstdint>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

namespace container {
constexpr std::size_t kSizeOffset = 64;
constexpr std::size_t kBodyOffset = 68;
constexpr std::uint8_t kPlainMarker = 0x12;
constexpr std::uint8_t kCompressedMarker = 0x13;
constexpr std::size_t kZlibBlockSize = 4096; // input and output buffers of the stream
// Version text handed to the zlib initialisers; zlib checks only its first
// character against its own version.
inline constexpr const char* kZlibVersionText = "1.1.2";
constexpr int kMinLevel = 0;
constexpr int kMaxLevel = 9;
} // namespace container

// File offset of the byte that holds the 0x12/0x13 marker.
inline std::size_t MarkerOffset(ImageFormat format) { return format == ImageFormat::BigEndian ? 2 : 3; }

// Rewrites the loaded uncompressed image as a compressed container under its
// own name, at zlib level 0..9 (the "Compress" setting). Streams in 4096-byte
// blocks; progress is the share of the source read. ErrNotLoaded;
// ErrCompressed (nothing touched); ErrFormat for a little-endian image, which
// must be converted first (nothing touched); ErrFailed for another kind, a level outside
// 0..9 or a file over 4 GiB (nothing touched), or a read, write or library
// failure; ErrOpen; ErrBackup; ErrCancelled. On every failure the file is back
// under its own name, byte for byte.
EngineResult CompressImage(RomImage& image, int level, BackupMode mode, const ProgressFn& progress);

// Rewrites the loaded compressed image as the uncompressed file it holds.
// Progress is the share of the compressed file read. A body that does not end
// as a complete zlib stream, or that inflates to another size than the stored
// one, is damaged: reported, the file restored, ErrFailed (never Ok with a
// short file). Other results as CompressImage, with ErrNotCompressed for an
// image that is not compressed.
EngineResult DecompressImage(RomImage& image, BackupMode mode, const ProgressFn& progress);

} // namespace q64
