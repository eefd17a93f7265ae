#pragma once
// The Controller Pak (memory pak): 32768 bytes in 128 pages of 256 bytes.
//
//   page 0      ID area: a 32-byte label, then four copies of the 32-byte ID
//               block at 0x20, 0x60, 0x80 and 0xC0. An ID block holds a 24-byte
//               serial, the device id (16-bit big-endian), the bank count, a
//               version byte, then two 16-bit big-endian checksums: the sum of
//               the block's first fourteen 16-bit big-endian words, and 0xFFF2
//               minus that sum.
//   page 1      index table: two bytes per page (high byte 0), for pages 5..127
//               the page that follows in its note, 0x01 for a note's last page
//               or 0x03 for a free page. Byte 1 holds the table's checksum: the
//               sum of bytes 10..255, modulo 256.
//   page 2      the index table's backup copy.
//   pages 3-4   note table: 16 entries of 32 bytes: game code (4), publisher
//               (2), first page (16-bit big-endian), status (bit 0x02 set on a
//               note games accept), 3 reserved bytes, the extension (1 character
//               in the pak's character set, 3 reserved), the name (16
//               characters). An entry whose game code and publisher are all
//               zero is free.
//   pages 5-127 the notes' pages (123 in all).
//
// Everything here works on the 32768 bytes in memory; engine/MemoryPakFile
// reads and writes them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

namespace mempak {
constexpr std::size_t kSize = 32768;
constexpr std::size_t kPageSize = 256;
constexpr int kPageCount = 128;
constexpr int kFirstNotePage = 5;
constexpr int kNotePages = 123;
constexpr int kNoteCount = 16;
constexpr std::size_t kIdBlockSize = 32;
constexpr std::size_t kIdBlocks[4] = {0x20, 0x60, 0x80, 0xC0};
constexpr std::size_t kIndexTable = 0x100;
constexpr std::size_t kIndexBackup = 0x200;
constexpr std::size_t kNoteTable = 0x300;
constexpr std::size_t kNoteEntrySize = 32;
constexpr std::uint8_t kLastPage = 0x01;
constexpr std::uint8_t kFreePage = 0x03;
constexpr std::uint8_t kNoteFlag = 0x02; // status bit every game looks for
} // namespace mempak

using PakData = std::vector<std::uint8_t>;

// The two checksums a 32-byte ID block should hold.
struct IdChecksums {
    std::uint16_t sum = 0;
    std::uint16_t inverse = 0; // 0xFFF2 - sum
};
IdChecksums ComputeIdChecksums(const std::uint8_t* block);
bool IdBlockValid(const std::uint8_t* block);
// True when any of the four ID blocks in the first 256 bytes is valid: a
// damaged pak whose first copy broke is still a pak.
bool HasValidIdArea(const std::uint8_t* page0);
// The checksum an index table (256 bytes) should hold in its byte 1.
std::uint8_t IndexTableChecksum(const std::uint8_t* table);

// One note, as the note table and the index table give it.
struct PakNote {
    int number = 0;          // 1..16, its place in the note table
    std::string gameCode;    // 4 characters (bytes outside printable ASCII as "-")
    std::string publisher;   // 2 characters, the same way
    std::string name;        // UTF-8, decoded from the pak's character set
    std::string extension;   // the same; empty when none
    std::vector<int> pages;  // its pages in order
    bool damaged = false;    // its chain is broken (pages holds those read before the fault)
};

enum class PakFaultKind : int {
    IdChecksum = 1,      // an ID block copy's checksums are wrong
    IdCopyDiffers,       // a sound copy differs from the first sound one
    NoValidId,           // no copy of the ID block is sound
    IndexChecksum,       // an index table's checksum is wrong
    IndexBackupDiffers,  // the two index tables differ
    IndexValue,          // a page's index value is none a pak uses
    NoteStart,           // a note starts outside pages 5..127 or on a free page
    ChainLoops,          // a note's chain comes back to one of its own pages
    ChainCrosses,        // a note's chain runs into another note's page
    ChainLeaves,         // a note's chain leads outside pages 5..127 or to a free page
    OrphanPages,         // pages marked in use that no note reaches
    NoteFlag,            // a note lacks the status bit games look for
};

struct PakFault {
    PakFaultKind kind;
    int note = 0;     // the note concerned, 0 for none
    std::string text; // one line saying what is wrong
};

// What a pak holds and what is wrong with it.
struct PakReport {
    std::vector<PakNote> notes; // in use, by number
    int freePages = 0;          // of 123
    bool readFromBackup = false; // the notes were read through the backup index table (the first is worse)
    std::vector<PakFault> faults;
    bool Damaged() const { return !faults.empty(); }
    const PakNote* Note(int number) const;
};

// Reads the note table through the sounder index table and checks every
// structure. A buffer that is not 32768 bytes gives one NoValidId fault.
PakReport InspectPak(const PakData& pak);

// Mends what InspectPak finds, from the best copies: the ID area from its
// first sound copy (or, with none, the first copy's checksums recomputed), the
// index table from the sounder of the two; a note whose chain is broken is
// removed, pages no note reaches are freed, missing status bits are set, and
// both index tables are written with their checksum. Returns one line per
// repair, empty when nothing needed it.
std::vector<std::string> RepairPak(PakData& pak);

// A freshly formatted pak: no notes, 123 free pages, four equal ID blocks
// whose serial comes from `serialSeed`.
PakData FormatPak(std::uint64_t serialSeed);

// A single note in the ".note" layout MPKEdit reads and writes: a 16-byte
// header (version 1, "MPKNote", three zero bytes, a 32-bit big-endian Unix
// time, the count of 16-byte comment rows; no rows written here), the note's
// 32-byte entry with 0xCAFE in place of its first page, then its pages.
// Empty, with `message` saying why, when the note is not there or damaged.
std::vector<std::uint8_t> ExportNote(const PakData& pak, int number, std::uint32_t unixTime, std::string& message);

// Adds the note of a ".note" file (with or without MPKEdit's header, whose
// comment is not kept) in the first free entry and free pages, with the
// status bit games look for set. ErrFormat: not
// a note file; ErrFailed: the pak is damaged, lacks room or its note table is
// full. `number` receives the note's place.
EngineResult ImportNote(PakData& pak, const std::vector<std::uint8_t>& noteFile, std::string& message,
                        int* number = nullptr);

// Removes a note and frees its pages. ErrFailed: no such note, or a damaged pak.
EngineResult DeleteNote(PakData& pak, int number, std::string& message);

// Gives a note a new name (at most 16 characters of the pak's set; the
// extension stays). ErrFormat: a character the pak cannot show, or too long.
EngineResult RenameNote(PakData& pak, int number, std::string_view name, std::string& message);

} // namespace q64
