#pragma once
// Territory and maker names, and the texts the information panel shows.

#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

// "Japan", "Germany", "USA", "Europe", "Australia"; for an unlisted code
// "Unknown" when the kind has the image bit, otherwise "".
std::string CountryName(std::uint8_t code, FileKind kind);
// "Nintendo" for 'N', otherwise "Unknown".
std::string MakerName(std::uint8_t code);

// Panel presentation formats.
std::string FormatImageSize(float sizeMbit);            // "%2.1f MBit"
std::string FormatFileSize(std::int64_t bytes);         // "%.2f K" below 10240, else "%.2f MB"
std::string FormatTerritoryCode(std::uint8_t code);     // "%d - %c"
std::string FormatManufacturer(std::uint8_t code);      // "%c - %s"
std::string FormatByteOrder(ImageFormat format);        // "SP64/WC/Z64", "Doctor 64" or "N64 (little-endian)"

} // namespace q64
