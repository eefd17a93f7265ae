#pragma once
// Synthetic files of every kind the program knows. The tests build their
// fixtures from these and `q64 samples` writes them for a demonstration; no
// content comes from a real cartridge.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64::samples {

using Bytes = std::vector<std::uint8_t>;

struct ImageRecipe {
    std::string title = "QUORVEL SAMPLE";   // up to 20 characters, padded with spaces
    std::string cartId = "QS";
    std::uint8_t territory = 'E';
    std::uint8_t maker = 'N';
    std::size_t sizeBytes = 1048576 + 4096;   // whole image, at least 64
    ImageFormat format = ImageFormat::BigEndian;
    std::uint32_t seed = 1;                   // varies the synthetic body
};

// An uncompressed image in the requested byte order (a little-endian one
// should have a size that is a multiple of 4 to be identified as an image).
Bytes MakeImage(const ImageRecipe& recipe);
// The same image in the compressed container (0x13 marker, size, zlib body).
Bytes MakeCompressedImage(const ImageRecipe& recipe, int level = 6);
// An uncompressed image whose boot code (canonical bytes 0x40..0xFFF) has the
// CRC-32 `bootCrc`: the last four boot bytes are chosen to reach it. Lets the
// tests build images for each boot chip without any real boot code.
Bytes MakeImageWithBootCrc(const ImageRecipe& recipe, std::uint32_t bootCrc);
// Swaps every pair of bytes (an odd last byte stays).
Bytes SwapPairs(Bytes bytes);
// Reverses every 4-byte word (1 to 3 trailing bytes stay).
Bytes ReverseWords(Bytes bytes);
// Canonical (big-endian) bytes in the order of `format`.
Bytes InOrder(Bytes canonical, ImageFormat format);

// A 262144-byte copier BIOS file with its signature at 4096.
Bytes MakeBios();
// An IPS patch: "PATCH", records (offset, data), "EOF".
struct IpsRecord {
    std::uint32_t offset = 0;
    Bytes data;             // plain record
    std::uint16_t runLength = 0; // when non-zero: a run record of data[0]
};
Bytes MakeIps(const std::vector<IpsRecord>& records, bool withEof = true);
// A 512-byte SAV RAM file (identified as such only with a ".sav" name).
Bytes MakeSavRam();
// A save file tagged "SAVEN64" followed by a 20-byte title.
Bytes MakeTaggedSave(const std::string& title);
// A 131072-byte DX256 file; `usedRooms` gets non-blank content.
Bytes MakeDx256(int usedRooms = 3);
// A 131072-byte DX256 file in which only the rooms named (bank, slot: 1..16
// each) hold data; every other byte is zero.
Bytes MakeDx256WithRooms(const std::vector<std::pair<int, int>>& usedRooms);
// A ".note" file (MPKEdit's layout, no comment) of one Controller Pak note:
// game code and publisher as given, `name` in the pak's character set, `pages`
// pages of data varied by `seed`.
Bytes MakePakNote(const std::string& gameCode, const std::string& publisher, const std::string& name, int pages,
                  std::uint32_t seed = 1);
// A formatted Controller Pak (fixed serial) holding `notes` notes of
// `pagesEach` pages, named "NOTE 1", "NOTE 2", ...
Bytes MakeMemoryPak(int notes = 2, int pagesEach = 3);
// A plain text file and a file of no known kind.
Bytes MakeText();
Bytes MakeUnknown();

// Writes `bytes` to `path`; false on failure.
bool WriteFile(const std::string& path, const Bytes& bytes);
// Reads a whole file; empty on failure.
Bytes ReadFile(const std::string& path);

// One sample of every kind, by file name, in the order they are written.
std::vector<std::pair<std::string, Bytes>> SampleSet();

// What writing the sample set into a folder did.
struct SampleSetOutcome {
    std::vector<std::string> written; // names made now
    std::vector<std::string> skipped; // names that existed already and were left as they are
    std::string failed;               // the name that could not be written (nothing after it was tried)
};

// One sample of every kind into `folder` (which must exist). A file that
// exists already under a sample's name is never replaced: it is skipped.
SampleSetOutcome WriteNewSamples(const std::string& folder);
// WriteNewSamples, answering with every sample's name (written or skipped),
// or an empty list when a write failed.
std::vector<std::string> WriteSampleSet(const std::string& folder);

} // namespace q64::samples
