#include "engine/RomImage.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/MemoryPak.h"
#include "engine/Territory.h"
#include "engine/TitleText.h"

namespace q64 {

namespace {

// Reads up to `count` bytes at `offset`; returns how many arrived. Plain
// positioned reads: identification touches only the bytes it needs.
std::size_t ReadAt(int fd, off_t offset, std::uint8_t* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, out + done, count - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

// Text made of bytes up to the first zero byte (as a C string reads them).
std::string TextUpToZero(const char* bytes, std::size_t length) {
    std::size_t n = 0;
    while (n < length && bytes[n] != '\0') ++n;
    return std::string(bytes, n);
}

bool EndsWithNoCase(const std::string& text, const char* suffix);

// What a cart or emulator save is called, by its extension and size; null for none.
const char* GameSaveTitle(const std::string& path, std::int64_t size) {
    struct Rule {
        const char* extension;
        std::int64_t sizes[3];
        const char* title;
    };
    static const Rule rules[] = {
        {".eep", {512, 2048, 0}, "EEPROM Save"},
        {".sra", {32768, 98304, 131072}, "SRAM Save"},
        {".fla", {131072, 0, 0}, "FlashRAM Save"},
        {".srm", {0x48800, 0, 0}, "RetroArch Save"},
        {".mpk", {131072, 0, 0}, "Memory Paks (4)"},
    };
    for (const Rule& rule : rules) {
        if (!EndsWithNoCase(path, rule.extension)) continue;
        for (std::int64_t s : rule.sizes)
            if (s != 0 && s == size) return rule.title;
    }
    return nullptr;
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char a = text[text.size() - n + i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != suffix[i]) return false;
    }
    return true;
}

// Closes the descriptor on every path out of Identify.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool LooksLikeImage(const std::uint8_t* b) {
    auto oneOf = [](std::uint8_t v, std::uint8_t x, std::uint8_t y, std::uint8_t z) {
        return v == x || v == y || v == z;
    };
    return (b[0] == 0x37 || b[0] == 0x80) && (b[1] == 0x80 || b[1] == 0x37) &&
           oneOf(b[2], 0x12, 0x13, 0x40) && oneOf(b[3], 0x12, 0x13, 0x40);
}

bool LooksLikeLittleEndianImage(const std::uint8_t* b) {
    const std::uint8_t word[4] = {b[3], b[2], b[1], b[0]};
    return word[0] == 0x80 && LooksLikeImage(word) && (word[2] == 0x12 || word[3] == 0x12);
}

float SizeInMbit(std::int64_t bytes) {
    return static_cast<float>(bytes) * (1.0f / 1024.0f) * (1.0f / 1024.0f) * 8.0f;
}

void TrimRight(std::string& text) {
    const auto end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
}

RomImage::RomImage() = default;

void RomImage::Report(const std::string& text) const {
    if (sink_) sink_(text);
}

EngineResult RomImage::Clear() {
    loaded_ = false;
    return EngineResult::Ok;
}

void RomImage::SetNonImage(FileKind kind, const std::string& path, std::string title) {
    path_ = path;
    compressed_ = false;
    byteOrder_ = ImageFormat::ByteSwapped;
    sizeMbit_ = 0.0f;
    title_ = std::move(title);
    titleField_.clear();
    territoryCode_ = 0;
    makerCode_ = 0;
    cartId_ = "  ";
    loaded_ = true;
    kind_ = kind;
}

EngineResult RomImage::Identify(const std::string& path) {
    lastBackup_.clear();
    renamedTo_.clear();
    if (path.empty() || path.size() > kMaxPathLength) {
        kind_ = FileKind::None;
        return EngineResult::ErrOpen;
    }
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        kind_ = FileKind::None;
        return EngineResult::ErrOpen;
    }
    const std::int64_t size = info.st_size;

    std::uint8_t* head = work_.data();
    if (ReadAt(file.get(), 0, head, header::kSize) < header::kSize) std::memset(head, 0, header::kSize);

    const bool littleEndian = LooksLikeLittleEndianImage(head) && size % 4 == 0;
    if (LooksLikeImage(head) || littleEndian) {
        fileSize_ = size;
        imageSize_ = size;
        byteOrder_ = littleEndian ? ImageFormat::LittleEndian
                     : head[0] == 0x37 ? ImageFormat::ByteSwapped
                                       : ImageFormat::BigEndian;
        compressed_ = !littleEndian && !(head[2] == 0x12 || head[3] == 0x12);
        if (compressed_) {
            std::uint8_t le[4] = {0, 0, 0, 0};
            ReadAt(file.get(), header::kCompressedSize, le, 4);
            imageSize_ = static_cast<std::int64_t>(static_cast<std::uint32_t>(le[0]) | le[1] << 8 |
                                                   le[2] << 16 | static_cast<std::uint32_t>(le[3]) << 24);
        }
        sizeMbit_ = SizeInMbit(imageSize_);
        char title[header::kTitleLength];
        for (std::size_t i = 0; i < header::kTitleLength; ++i)
            title[i] = static_cast<char>(head[FileOffset(header::kTitle + i, byteOrder_)]);
        titleField_.assign(title, header::kTitleLength);
        title_ = ShownTitle(titleField_);
        territoryCode_ = head[FileOffset(header::kTerritory, byteOrder_)];
        makerCode_ = head[FileOffset(header::kMakerCode, byteOrder_)];
        const char cart[2] = {static_cast<char>(head[FileOffset(header::kCartId, byteOrder_)]),
                              static_cast<char>(head[FileOffset(header::kCartId + 1, byteOrder_)])};
        cartId_ = DecodeTitle(TextUpToZero(cart, 2));
        path_ = path;
        loaded_ = true;
        kind_ = compressed_ ? FileKind::CompressedImage : FileKind::Image;
        return EngineResult::Ok;
    }

    // Every other kind: sizes as on disk, no header fields.
    auto found = [&](FileKind kind, std::string title) {
        fileSize_ = size;
        imageSize_ = size;
        SetNonImage(kind, path, std::move(title));
        return EngineResult::Ok;
    };

    if (size == kBiosFileSize) {
        std::uint8_t sig[3] = {0, 0, 0};
        if (ReadAt(file.get(), kBiosSignatureOffset, sig, 3) == 3 && sig[0] == 0x48 && sig[1] == 0x48 &&
            sig[2] == 0x8A)
            return found(FileKind::Doctor64Bios, "Doctor64 BIOS");
        kind_ = FileKind::None;
        return EngineResult::ErrFormat;
    }

    char magic[7] = {0, 0, 0, 0, 0, 0, 0};
    ReadAt(file.get(), 0, reinterpret_cast<std::uint8_t*>(magic), sizeof magic);
    if (std::memcmp(magic, "PATCH", 5) == 0) return found(FileKind::IpsPatch, "IPS Patch File");
    if (std::memcmp(magic, "BPS1", 4) == 0) return found(FileKind::BpsPatch, "BPS Patch File");
    if (std::memcmp(magic, "SAVEN64", 7) == 0) {
        char title[20] = {};
        ReadAt(file.get(), 7, reinterpret_cast<std::uint8_t*>(title), sizeof title);
        return found(FileKind::TaggedSave, ShownTitle(std::string_view(title, sizeof title)));
    }
    if (size == kMemoryPakSize) {
        std::uint8_t page0[mempak::kPageSize] = {};
        if (ReadAt(file.get(), 0, page0, sizeof page0) == sizeof page0 && HasValidIdArea(page0))
            return found(FileKind::MemoryPak, "Memory Pak");
    }
    if (size == kDexDriveFileSize && std::memcmp(magic, "123-456", 7) == 0) {
        char rest[5] = {};
        if (ReadAt(file.get(), 7, reinterpret_cast<std::uint8_t*>(rest), 4) == 4 && std::memcmp(rest, "-STD", 4) == 0)
            return found(FileKind::MemoryPak, "Memory Pak (DexDrive)");
    }
    if (const char* title = GameSaveTitle(path, size)) return found(FileKind::GameSave, title);
    if (size == kSavRamSize && EndsWithNoCase(path, ".sav")) return found(FileKind::SavRam, "SAV Ram File");
    if (size == kDx256FileSize) return found(FileKind::Dx256, "DX256 File");

    kind_ = FileKind::None;
    return EngineResult::ErrFormat;
}

std::int64_t RomImage::GetFileSize() const { return loaded_ ? fileSize_ : ToInt(EngineResult::ErrNotLoaded); }
std::int64_t RomImage::GetImageSize() const { return loaded_ ? imageSize_ : ToInt(EngineResult::ErrNotLoaded); }
float RomImage::GetSizeMbit() const { return loaded_ ? sizeMbit_ : -3.0f; }

namespace {
EngineResult CopyOut(bool loaded, const std::string& value, std::string& out) {
    out.clear();
    if (!loaded) return EngineResult::ErrNotLoaded;
    out = value;
    return EngineResult::Ok;
}
} // namespace

EngineResult RomImage::GetTitle(std::string& out) const { return CopyOut(loaded_, title_, out); }
EngineResult RomImage::GetCartId(std::string& out) const { return CopyOut(loaded_, cartId_, out); }
EngineResult RomImage::GetPath(std::string& out) const { return CopyOut(loaded_, path_, out); }
int RomImage::GetMakerCode() const { return loaded_ ? makerCode_ : ToInt(EngineResult::ErrNotLoaded); }
int RomImage::GetCountryCode() const { return loaded_ ? territoryCode_ : ToInt(EngineResult::ErrNotLoaded); }
EngineResult RomImage::GetMakerName(std::string& out) const { return CopyOut(loaded_, MakerName(makerCode_), out); }
EngineResult RomImage::GetCountryName(std::string& out) const {
    return CopyOut(loaded_, CountryName(territoryCode_, kind_), out);
}
int RomImage::IsCompressed() const { return loaded_ ? (compressed_ ? 1 : 0) : ToInt(EngineResult::ErrNotLoaded); }
int RomImage::GetByteOrder() const {
    return loaded_ ? static_cast<int>(byteOrder_) : ToInt(EngineResult::ErrNotLoaded);
}

} // namespace q64
