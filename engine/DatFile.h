#pragma once
// Preservation lists of known-good images in the Logiqx XML format:
//   <datafile>
//     <header><name>...</name>...</header>
//     <game name="..."> (or <machine name="...">)
//       <description>...</description>
//       <rom name="..." size="..." crc="8 hex" md5="..." sha1="40 hex"/>
//     </game>
//   </datafile>
// Hashes are of the big-endian image. Only the parts above are read; other
// elements and attributes are skipped. A small XML reader of its own: no
// namespaces, no external entities; the five predefined entities and
// character references are decoded.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/ImageHash.h"

namespace q64 {

struct DatRom {
    std::string game;   // the game's name
    std::string name;   // the rom's file name in the list
    std::optional<std::uint64_t> size;
    std::optional<std::uint32_t> crc32;
    std::optional<Sha1Digest> sha1;
};

struct DatFile {
    std::string name; // <header><name>, may be empty
    std::vector<DatRom> roms;
    std::size_t games = 0;
};

// Parses DAT text. False with `message` naming the line ("line N: ...") when
// the text is not well-formed XML or not a Logiqx datafile.
bool ParseDat(const std::string& text, DatFile& dat, std::string& message);

// Reads and parses the DAT at `path` (a regular file, opened without
// blocking, at most 256 MiB). False with `message` naming the path and, for
// a parse error, the line.
bool LoadDatFile(const std::string& path, DatFile& dat, std::string& message);

// How an image compares with the list.
enum class DatStatus : int {
    Good = 0,    // the content is listed
    Bad = 1,     // a listed name or size, different content
    Unknown = 2, // nothing in the list resembles it
};

struct DatMatch {
    DatStatus status = DatStatus::Unknown;
    const DatRom* rom = nullptr; // the listed entry (Good, Bad)
};

// The list indexed for matching. Holds pointers into `dat`, which must outlive it.
class DatIndex {
public:
    explicit DatIndex(const DatFile& dat);
    // Good: the SHA-1 is listed, or a rom listed without SHA-1 has the same
    // CRC-32 and size. Bad: a rom whose name (without its extension, case
    // ignored) is the file's name without extension, or the only listed rom
    // of that size. Unknown otherwise.
    DatMatch Match(const ImageHashes& hashes, const std::string& fileName) const;
    const DatFile& Dat() const { return dat_; }

private:
    const DatFile& dat_;
    std::unordered_map<std::string, const DatRom*> bySha1_;
    std::unordered_map<std::uint64_t, std::vector<const DatRom*>> byCrcSize_;
    std::unordered_map<std::string, const DatRom*> byName_;
    std::unordered_map<std::uint64_t, std::vector<const DatRom*>> bySize_;
};

// Upper-case-free name without folder and extension ("Game (U).z64" -> "game (u)").
std::string DatNameKey(const std::string& fileName);

} // namespace q64
