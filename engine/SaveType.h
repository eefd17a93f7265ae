#pragma once
// The kinds of save a cartridge carries, numbered as the developer save byte
// of an image header numbers them ("ED" at canonical 0x3C, the type in the
// high nibble of 0x3F). Flashcarts that use other numbers map from these.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace q64 {

enum class SaveType : int {
    None = 0,
    Eeprom4k = 1,
    Eeprom16k = 2,
    Sram256k = 3,
    Sram768k = 4, // three banks of 32 KiB
    FlashRam = 5,
    Sram1M = 6,
};
constexpr int kSaveTypeCount = 7;

// "none", "EEPROM 4k", "EEPROM 16k", "SRAM 256k", "SRAM 768k", "FlashRAM", "SRAM 1M".
const char* SaveTypeName(SaveType type);
// The command line's names: none, eeprom4k, eeprom16k, sram256k, sram768k, flashram, sram1m.
const char* SaveTypeKey(SaveType type);
std::optional<SaveType> SaveTypeFromKey(const std::string& key);
// Size of the save in bytes: 0, 512, 2048, 32768, 98304, 131072, 131072.
std::size_t SaveSizeOf(SaveType type);

// The developer save byte of a header in canonical order (at least 64 bytes):
// nothing when the header does not carry "ED" at 0x3C; SaveType::None for a
// type nibble of 0 or one no cart knows.
std::optional<SaveType> SaveTypeFromHeader(const std::uint8_t* canonicalHeader);

} // namespace q64
