#pragma once
// The ROM database that emulators ship: an INI text with one section per
// known image, keyed by the upper-case MD5 of the big-endian image, holding
// "GoodName=", "SaveType=" ("Eeprom 4KB", "Eeprom 16KB", "SRAM", "Flash RAM",
// "Controller Pack", "None") and "RefMD5=" (an entry that takes the keys it
// lacks from another). Debian installs one with mupen64plus-data.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/SaveType.h"

namespace q64 {

// Where the system's database lies when the settings name none.
inline constexpr const char* kDefaultRomDatabasePath = "/usr/share/games/mupen64plus/mupen64plus.ini";

struct RomDatabaseEntry {
    std::string goodName;
    std::optional<SaveType> saveType; // nothing: the entry does not say
};

class RomDatabase {
public:
    // Reads the text of a database. Lines that are neither a section, a
    // "key=value" nor a comment are skipped, as emulators skip them.
    static RomDatabase Parse(std::string_view text);
    // Reads the database file at `path` (never blocking, at most 64 MiB).
    // Nothing, with `message` saying why, when it cannot be read.
    static std::optional<RomDatabase> Load(const std::string& path, std::string& message);

    // The entry for an image's MD5 (32 hex digits, either case), with what it
    // lacks taken from the entries its "RefMD5" names.
    std::optional<RomDatabaseEntry> Find(const std::string& md5) const;
    std::size_t Size() const { return entries_.size(); }

private:
    struct Section {
        RomDatabaseEntry entry;
        std::string refMd5;
    };
    std::unordered_map<std::string, Section> entries_;
};

} // namespace q64
