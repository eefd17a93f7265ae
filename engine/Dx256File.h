#pragma once
// DX256 save files and their ".DXD" room descriptions.
//
// A DX256 file is exactly 131072 bytes: 256 rooms of 512 bytes, named by bank
// letter A..P and slot 01..16. Room (bank b, slot s), b and s counted 1..16:
//   index  = (b AND 15) * 16 + (s AND 15)       (P and 16 count as 0: P16 is 0, A01 is 17)
//   offset = 512 * (255 - index)                 (stored from the end: P16 is the last
//                                                 block, A01 starts at 121856)
// A room is in use when any of its bytes is not zero.
//
// The description file has the DX256 file's folder and name with the extension
// ".DXD": plain text, lines of up to 254 characters (longer lines are read as
// their first 254). A line starting with "Ba" is read as "Bank%c%2d=%s": a bank
// letter in either case, a slot of one or two digits, "=", and the
// description as one word (up to the first blank). Every other line is
// ignored, as are lines for rooms not in use; a later line for a room
// replaces an earlier one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

namespace dx256 {
constexpr std::size_t kFileSize = 131072;
constexpr std::size_t kRoomSize = 512;
constexpr int kRoomCount = 256;
constexpr int kBankCount = 16;  // A..P
constexpr int kSlotCount = 16;  // 01..16
constexpr std::size_t kMaxDescriptionLength = 79; // an 80-byte entry with its terminator
constexpr std::size_t kMaxLineLength = 254;
// Larger description files are not rewritten (they are still read line by line).
constexpr std::size_t kMaxRewriteSize = 4u * 1024 * 1024;
} // namespace dx256

// Room addressing, for bank and slot 1..16.
bool IsValidRoom(int bank, int slot);
int RoomIndex(int bank, int slot);
std::size_t RoomOffset(int bank, int slot);
// "%c%02d": A01 ... P16.
std::string RoomName(int bank, int slot);
// Reads "A01", "a1", "P16" (letter in either case, one or two digits).
std::optional<std::pair<int, int>> ParseRoomName(std::string_view text);

struct DescriptionLine {
    int bank = 0;
    int slot = 0;
    std::string text; // one word, cut to 79 characters
};

// One line of a description file (without its line end). Empty for every line
// that is not a complete description of a valid room.
std::optional<DescriptionLine> ParseDescriptionLine(std::string_view line);
// The line that describes a room: "Bank%c%02d=%s" (no line end).
std::string FormatDescriptionLine(int bank, int slot, std::string_view text);
// What a description can hold and read back unchanged: cut at a zero byte,
// outer blanks removed, inner blanks (which would end the word) turned into
// "_", at most 79 bytes, never cutting a UTF-8 sequence in two.
std::string CleanDescription(std::string_view text);
// The description file that belongs to a DX256 file: its extension replaced by ".DXD".
std::string DescriptionPathFor(const std::string& dx256Path);

enum class Dx256LoadResult : int {
    Loaded = 1,
    ErrOpen = -1,   // the file does not open (or the path is too long)
    ErrMemory = -2, // no memory for the data or the description table
    ErrShort = -3,  // fewer than 131072 bytes could be read
};

// One row of the room listing: bank A first, slots in order.
struct RoomRow {
    int bank = 0;
    int slot = 0;
    std::string room;        // "%c%02d"
    bool inUse = false;
    std::string description; // as GetRoomDescription gives it
};

// A loaded DX256 file with its descriptions. Owned by whoever shows or edits
// it (the manager dialog, q64); independent of the RomImage instance.
class Dx256Image {
public:
    Dx256Image();

    // Reads the file and its description file (a missing one leaves every
    // description empty). Anything after the first 131072 bytes is ignored.
    Dx256LoadResult LoadDx256(const std::string& path);
    void Clear();
    bool IsLoaded() const { return loaded_; }
    const std::string& Path() const { return path_; }
    // Where the descriptions were read from, and will be written to.
    const std::string& DescriptionPath() const { return descriptionPath_; }

    bool IsRoomInUse(int bank, int slot) const;
    // The room's 512 bytes (empty when not loaded or not a valid room).
    std::vector<std::uint8_t> RoomData(int bank, int slot) const;

    // Empty optional when nothing is loaded or the room is not valid; the
    // empty text for a room not in use; for a room in use its description
    // with trailing spaces removed, or "Unknown" when that leaves nothing.
    std::optional<std::string> GetRoomDescription(int bank, int slot) const;
    // Stores CleanDescription(text) for a room in use. ErrNotLoaded; ErrFailed
    // (with nothing stored) for an invalid room or a room not in use; Ok.
    EngineResult SetRoomDescription(int bank, int slot, std::string_view text);
    // The 256 rows of the room listing.
    std::vector<RoomRow> ListRooms() const;

    // Room edits, in memory until Save. PutRoom gives a room 512 new bytes
    // (its old description goes); ClearRoom empties one; MoveRoom takes a
    // room's bytes and description to another room and empties the room it
    // leaves (moving a room onto itself changes nothing). ErrNotLoaded;
    // ErrFailed for an invalid room, a save that is not 512 bytes or an empty
    // room to move; Ok.
    EngineResult PutRoom(int bank, int slot, const std::vector<std::uint8_t>& bytes);
    EngineResult ClearRoom(int bank, int slot);
    EngineResult MoveRoom(int bank, int slot, int toBank, int toSlot);
    // The whole file as it now stands in memory.
    const std::vector<std::uint8_t>& Data() const { return data_; }
    // Rooms or descriptions changed since loading.
    bool HasChanges() const;
    // Writes the changed rooms to the DX256 file through the backup protocol
    // (mode Keep keeps NAME.bak), then the changed descriptions
    // (SaveDescriptions). Nothing changed: Ok without writing. Failures are
    // reported through the sink.
    EngineResult Save(BackupMode mode);

    // Writes the descriptions changed since loading back into the description
    // file. Every other line of an existing file stays as it was; a changed
    // room's first line is replaced (or dropped when its description is now
    // empty), its later lines dropped, and rooms without a line are appended.
    // An existing file is rewritten through the backup protocol (mode Keep
    // keeps NAME.bak); a failure leaves it as it was. Nothing changed: Ok
    // without writing. ErrNotLoaded, ErrFormat (the existing file is over
    // 4 MiB, or it would be the DX256 file itself), ErrBackup (also when the
    // backup name is the DX256 file itself), ErrOpen,
    // ErrFailed; failures are reported through the sink.
    EngineResult SaveDescriptions(BackupMode mode);
    // The backups the last Save or SaveDescriptions kept (mode Keep): the
    // DX256 file's, then the description file's "NAME.DXD~"; empty for none.
    const std::vector<std::string>& LastBackups() const { return lastBackups_; }

    void SetMessageSink(MessageSink sink) { sink_ = std::move(sink); }

private:
    void Report(const std::string& text) const;
    void ReadDescriptions();
    std::string RewrittenText(const std::string& old) const;
    EngineResult WriteDescriptions(BackupMode mode);

    bool loaded_ = false;
    std::string path_;
    std::string descriptionPath_;
    std::vector<std::uint8_t> data_;
    // By room index (0..255).
    std::array<std::string, dx256::kRoomCount> descriptions_;
    std::array<bool, dx256::kRoomCount> used_{};
    std::array<bool, dx256::kRoomCount> changed_{};
    bool dataChanged_ = false;
    std::vector<std::string> lastBackups_;
    MessageSink sink_;
};

} // namespace q64
