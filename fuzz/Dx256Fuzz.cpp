// DX256 files and their ".DXD" descriptions. Input bytes 0..31 say which of
// the 256 rooms are in use (bit r of the bitmap: room index r); the rest is the
// description file. After loading, each listed description is what the reader
// promises; then the first rooms in use get the input's lines as new
// descriptions, are saved in the temporary backup mode and read back: changed
// rooms read back as their cleaned text, the others as before.

#include <array>
#include <string_view>

#include "engine/Dx256File.h"
#include "engine/RomImage.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

namespace {

constexpr std::size_t kBitmapSize = dx256::kRoomCount / 8;
constexpr std::size_t kMaxEdits = 6;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::vector<std::string> Descriptions(const Dx256Image& dx) {
    std::vector<std::string> out;
    for (const RoomRow& row : dx.ListRooms()) out.push_back(row.description);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kBitmapSize) return 0;
    fuzz::Scratch();
    fuzz::Bytes file(dx256::kFileSize, 0);
    for (int bank = 1; bank <= dx256::kBankCount; ++bank) {
        for (int slot = 1; slot <= dx256::kSlotCount; ++slot) {
            const int index = RoomIndex(bank, slot);
            if (data[index / 8] >> (index % 8) & 1) file[RoomOffset(bank, slot) + static_cast<std::size_t>(index)] = 1;
        }
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + kBitmapSize, size - kBitmapSize);
    const std::string path = fuzz::PutFile("memory.dx2", file);
    fuzz::PutFile("memory.DXD", reinterpret_cast<const std::uint8_t*>(text.data()), text.size());

    Dx256Image dx;
    Require(dx.LoadDx256(path) == Dx256LoadResult::Loaded, "a 131072-byte file loads");
    const std::vector<RoomRow> rows = dx.ListRooms();
    Require(rows.size() == static_cast<std::size_t>(dx256::kRoomCount), "256 rows");
    for (const RoomRow& row : rows) {
        const int index = RoomIndex(row.bank, row.slot);
        Require(row.inUse == ((data[index / 8] >> (index % 8) & 1) != 0), "rooms in use as written");
        if (!row.inUse) {
            Require(row.description.empty(), "a room not in use has no description");
            continue;
        }
        Require(!row.description.empty() && row.description.size() <= dx256::kMaxDescriptionLength,
                "a description of 1..79 bytes");
        for (char c : row.description) Require(!IsBlank(c) && c != '\0', "a description is one word");
    }

    // New descriptions from the input's lines for the first rooms in use.
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size() && lines.size() < kMaxEdits;) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::string> expected = Descriptions(dx);
    std::size_t used = 0;
    for (std::size_t i = 0; i < rows.size() && used < lines.size(); ++i) {
        if (!rows[i].inUse) continue;
        Require(dx.SetRoomDescription(rows[i].bank, rows[i].slot, lines[used]) == EngineResult::Ok,
                "a room in use takes a description");
        std::string cleaned = CleanDescription(lines[used]);
        TrimRight(cleaned);
        expected[i] = cleaned.empty() ? "Unknown" : cleaned;
        ++used;
    }
    const EngineResult saved = dx.SaveDescriptions(BackupMode::Temporary);
    if (saved != EngineResult::Ok) {
        // Only an oversized description file is refused.
        Require(text.size() > dx256::kMaxRewriteSize, "descriptions are saved");
        return 0;
    }
    Require(fuzz::ScratchNames() == std::vector<std::string>{"memory.DXD", "memory.dx2"}, "no file left behind");
    Dx256Image again;
    Require(again.LoadDx256(path) == Dx256LoadResult::Loaded, "loads again");
    Require(Descriptions(again) == expected, "descriptions read back as saved");
    return 0;
}
