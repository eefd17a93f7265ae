#pragma once
// One file loaded from a path, classified into a FileKind and, for cartridge
// images, decoded from its 64-byte header. The program keeps exactly one
// instance for its whole run (owned by the front end and passed by reference);
// every command identifies a file into it, runs one operation and clears it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

// Header layout in canonical (big-endian) order.
namespace header {
constexpr std::size_t kSize = 64;
constexpr std::size_t kBootWord = 0x00;
constexpr std::size_t kChecksum1 = 0x10;
constexpr std::size_t kChecksum2 = 0x14;
constexpr std::size_t kTitle = 0x20;
constexpr std::size_t kTitleLength = 20;
constexpr std::size_t kMakerCode = 0x3B;
constexpr std::size_t kCartId = 0x3C;
constexpr std::size_t kTerritory = 0x3E;
// A compressed image stores its uncompressed size here, 32-bit little-endian.
constexpr std::size_t kCompressedSize = 64;
} // namespace header

constexpr std::size_t kWorkBufferSize = 32768;
constexpr std::size_t kMaxPathLength = 1023;
constexpr std::int64_t kBiosFileSize = 262144;
constexpr std::int64_t kBiosSignatureOffset = 4096;
constexpr std::int64_t kSavRamSize = 512;
constexpr std::int64_t kDx256FileSize = 131072;
constexpr std::int64_t kMemoryPakSize = 32768;
constexpr std::int64_t kDexDriveFileSize = 36928;
constexpr std::int64_t kBytesPerMbit = 131072;

// Canonical byte k of an image stored in `format` is at this file offset.
inline std::size_t FileOffset(std::size_t canonical, ImageFormat format) {
    switch (format) {
    case ImageFormat::ByteSwapped: return canonical ^ 1u;
    case ImageFormat::BigEndian: return canonical;
    case ImageFormat::LittleEndian: return canonical ^ 3u;
    }
    return canonical;
}

// True when bytes 0..3 pass the image test (each byte tested on its own).
bool LooksLikeImage(const std::uint8_t* bytes4);
// True when bytes 0..3 are the uncompressed boot word with every byte of the
// word reversed (40 12 37 80). The file must also be a whole number of words
// to be a little-endian image; a compressed container is never little-endian.
bool LooksLikeLittleEndianImage(const std::uint8_t* bytes4);

class RomImage {
public:
    RomImage();
    RomImage(const RomImage&) = delete;
    RomImage& operator=(const RomImage&) = delete;

    // Loads and classifies the file. Ok, ErrOpen (unreadable, or a path over
    // 1023 characters) or ErrFormat (not recognised). Reads only the header
    // bytes it needs, never the whole file. A failure sets the kind to None
    // and leaves the other fields as they were.
    EngineResult Identify(const std::string& path);
    // Marks the instance not loaded.
    EngineResult Clear();

    bool IsLoaded() const { return loaded_; }
    FileKind GetKind() const { return kind_; }

    // Getters return ErrNotLoaded when nothing is loaded (text outputs are then empty).
    std::int64_t GetFileSize() const;    // ErrNotLoaded (-3) when not loaded
    std::int64_t GetImageSize() const;   // ErrNotLoaded (-3) when not loaded
    float GetSizeMbit() const;           // -3.0 when not loaded
    EngineResult GetTitle(std::string& out) const;
    EngineResult GetCartId(std::string& out) const;
    int GetMakerCode() const;            // 0..255, or -3
    EngineResult GetMakerName(std::string& out) const;
    int GetCountryCode() const;          // 0..255, or -3
    EngineResult GetCountryName(std::string& out) const;
    int IsCompressed() const;            // 0 or 1, or -3
    int GetByteOrder() const;            // ImageFormat value, or -3
    EngineResult GetPath(std::string& out) const;

    // Convenience views of the loaded fields (valid while loaded).
    const std::string& Path() const { return path_; }
    // The title as shown (decoded, see TitleText.h) and, for an image, the
    // header's 20 title bytes as stored (canonical order; empty otherwise).
    const std::string& Title() const { return title_; }
    const std::string& TitleField() const { return titleField_; }
    const std::string& CartId() const { return cartId_; }
    std::uint8_t MakerCode() const { return makerCode_; }
    std::uint8_t TerritoryCode() const { return territoryCode_; }
    bool Compressed() const { return compressed_; }
    ImageFormat ByteOrder() const { return byteOrder_; }
    std::int64_t FileSize() const { return fileSize_; }
    std::int64_t ImageSize() const { return imageSize_; }
    float SizeMbit() const { return sizeMbit_; }

    // The 32768-byte work buffer: holds the header (file order) after Identify
    // and serves chunked copies and the transfers.
    std::uint8_t* WorkBuffer() { return work_.data(); }
    const std::uint8_t* WorkBuffer() const { return work_.data(); }

    // The backup the last change of the loaded file kept (empty: none).
    // Identify forgets it; Clear keeps it for the caller to tell.
    const std::string& LastBackup() const { return lastBackup_; }
    void NoteBackup(const std::string& path) { lastBackup_ = path; }
    // The new path of the file when the last change renamed it (empty: not renamed).
    const std::string& RenamedTo() const { return renamedTo_; }
    void NoteRenamed(const std::string& path) { renamedTo_ = path; }

    // Installs the function that receives one-line error texts (none: dropped).
    void SetMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    // Sends a text to the installed sink.
    void Report(const std::string& text) const;

private:
    void SetNonImage(FileKind kind, const std::string& path, std::string title);

    bool loaded_ = false;
    FileKind kind_ = FileKind::None;
    std::string path_;
    std::int64_t fileSize_ = 0;
    std::int64_t imageSize_ = 0;
    float sizeMbit_ = 0.0f;
    std::string title_;
    std::string titleField_;
    std::string cartId_;
    std::uint8_t makerCode_ = 0;
    std::uint8_t territoryCode_ = 0;
    bool compressed_ = false;
    ImageFormat byteOrder_ = ImageFormat::ByteSwapped;
    std::array<std::uint8_t, kWorkBufferSize> work_{};
    MessageSink sink_;
    std::string lastBackup_;
    std::string renamedTo_;
};

// Removes trailing spaces in place.
void TrimRight(std::string& text);

// Image size in Mbit, computed in single precision as the header decoding does.
float SizeInMbit(std::int64_t bytes);

} // namespace q64
