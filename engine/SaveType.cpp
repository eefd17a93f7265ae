#include "engine/SaveType.h"

#include <array>

namespace q64 {

namespace {
struct SaveTypeRow {
    SaveType type;
    const char* name;
    const char* key;
    std::size_t size;
};

constexpr std::array<SaveTypeRow, kSaveTypeCount> kRows{{
    {SaveType::None, "none", "none", 0},
    {SaveType::Eeprom4k, "EEPROM 4k", "eeprom4k", 512},
    {SaveType::Eeprom16k, "EEPROM 16k", "eeprom16k", 2048},
    {SaveType::Sram256k, "SRAM 256k", "sram256k", 32768},
    {SaveType::Sram768k, "SRAM 768k", "sram768k", 3 * 32768},
    {SaveType::FlashRam, "FlashRAM", "flashram", 131072},
    {SaveType::Sram1M, "SRAM 1M", "sram1m", 131072},
}};

const SaveTypeRow& RowOf(SaveType type) {
    const auto index = static_cast<std::size_t>(type);
    return index < kRows.size() ? kRows[index] : kRows[0];
}

// Where the developer save byte lives in a header.
constexpr std::size_t kMarkOffset = 0x3C; // "ED"
constexpr std::size_t kTypeOffset = 0x3F; // type in the high nibble
} // namespace

const char* SaveTypeName(SaveType type) { return RowOf(type).name; }
const char* SaveTypeKey(SaveType type) { return RowOf(type).key; }
std::size_t SaveSizeOf(SaveType type) { return RowOf(type).size; }

std::optional<SaveType> SaveTypeFromKey(const std::string& key) {
    for (const SaveTypeRow& row : kRows)
        if (key == row.key) return row.type;
    return std::nullopt;
}

std::optional<SaveType> SaveTypeFromHeader(const std::uint8_t* header) {
    if (header[kMarkOffset] != 'E' || header[kMarkOffset + 1] != 'D') return std::nullopt;
    const int nibble = header[kTypeOffset] >> 4;
    return nibble < kSaveTypeCount ? static_cast<SaveType>(nibble) : SaveType::None;
}

} // namespace q64
