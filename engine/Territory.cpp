#include "engine/Territory.h"

#include <cstdio>

namespace q64 {

std::string CountryName(std::uint8_t code, FileKind kind) {
    switch (code) {
    case 'A': return "Japan";
    case 'D': return "Germany";
    case 'E': return "USA";
    case 'J': return "Japan";
    case 'P': return "Europe";
    case 'U': return "Australia";
    default: return HasImageBit(kind) ? "Unknown" : "";
    }
}

std::string MakerName(std::uint8_t code) { return code == 'N' ? "Nintendo" : "Unknown"; }

namespace {
template <typename... Args>
std::string Printf(const char* format, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}
} // namespace

std::string FormatImageSize(float sizeMbit) { return Printf("%2.1f MBit", static_cast<double>(sizeMbit)); }

std::string FormatFileSize(std::int64_t bytes) {
    if (bytes >= 10240) return Printf("%.2f MB", static_cast<double>(bytes) / 1048576.0);
    return Printf("%.2f K", static_cast<double>(bytes) / 1024.0);
}

std::string FormatTerritoryCode(std::uint8_t code) { return Printf("%d - %c", code, code); }

std::string FormatManufacturer(std::uint8_t code) {
    return Printf("%c - %s", code, MakerName(code).c_str());
}

std::string FormatByteOrder(ImageFormat format) {
    switch (format) {
    case ImageFormat::ByteSwapped: return "Doctor 64";
    case ImageFormat::BigEndian: return "SP64/WC/Z64";
    case ImageFormat::LittleEndian: return "N64 (little-endian)";
    }
    return "Doctor 64";
}

} // namespace q64
