// q64 dx256: lists the rooms of a DX256 save file, edits their descriptions,
// and moves saves into, out of and between its rooms.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/Dx256File.h"
#include "engine/FileChange.h"
#include "engine/OperationIo.h"
#include "engine/RomImage.h"

namespace q64::cli {

namespace {

using Room = std::pair<int, int>;

// The one room change asked for, if any.
struct RoomChange {
    enum class What { None, Export, Import, Move, Clear } what = What::None;
    std::string room;  // ROOM or FROM
    std::string other; // TO (a room) for --move
};

std::optional<Room> RoomOption(const Command& self, const std::string& text) {
    const auto room = ParseRoomName(text);
    if (!room) UsageError(self, "no room " + text + " (A01 to P16)");
    return room;
}

// Writes room `room` as a 512-byte save file `out`, never over an existing file.
int ExportRoom(const Command& self, const Dx256Image& dx, Room room, const std::string& out) {
    if (!dx.IsRoomInUse(room.first, room.second)) {
        std::fprintf(stderr, "q64 dx256: room %s is empty\n", RoomName(room.first, room.second).c_str());
        return 1;
    }
    std::string message;
    if (WriteWholeFile(out, dx.RoomData(room.first, room.second), ExistingFile::Refuse, message) != EngineResult::Ok) {
        SayAbout(self, out, message);
        return 1;
    }
    std::printf("%s\n", out.c_str());
    return 0;
}

// True when `room` may take a save: empty, or --force given.
// Writes the changes through the backup protocol and names the backups kept.
bool Save(const Command& self, Dx256Image& dx, BackupMode mode) {
    if (dx.Save(mode) != EngineResult::Ok) return false;
    for (const std::string& backup : dx.LastBackups()) SayBackup(self, dx.Path(), backup);
    return true;
}

bool MayReplace(const Dx256Image& dx, Room room, bool force) {
    if (force || !dx.IsRoomInUse(room.first, room.second)) return true;
    std::fprintf(stderr, "q64 dx256: room %s is in use; give --force to replace it\n",
                 RoomName(room.first, room.second).c_str());
    return false;
}

} // namespace

int RunDx256(ArgParser& args) {
    const Command& self = CommandNamed("dx256");
    const bool json = args.Flag("json");
    const bool force = args.Flag("force");
    std::vector<std::pair<std::string, std::string>> describe; // room name, text
    while (const auto value = args.Value("describe")) {
        const std::size_t eq = value->find('=');
        if (eq == std::string::npos) {
            args.Fail("--describe takes ROOM=TEXT, not " + *value);
            break;
        }
        describe.emplace_back(value->substr(0, eq), value->substr(eq + 1));
    }
    RoomChange change;
    using W = RoomChange::What;
    for (const auto& [name, what] : {std::pair{"export", W::Export}, std::pair{"import", W::Import},
                                     std::pair{"move", W::Move}, std::pair{"clear", W::Clear}}) {
        if (const auto room = args.Value(name)) {
            if (change.what != W::None) args.Fail("give one of --export, --import, --move and --clear");
            change.what = what;
            change.room = *room;
        }
    }
    const auto mode = BackupModeOption(args);
    std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    // FILE, then the second word of --export ROOM OUT, --import ROOM IN, --move FROM TO.
    const std::size_t words = change.what == W::None || change.what == W::Clear ? 1 : 2;
    if (rest.size() != words)
        return UsageError(self, words == 1 ? "give exactly one FILE" : "give FILE first, then the option's second word");
    if (change.what == W::Move) change.other = rest[1];
    const std::string& file = rest[0];

    RomImage probe;
    if (!LoadForCommand(self, probe, file)) return 1;
    if (probe.GetKind() != FileKind::Dx256) {
        SayAbout(self, file, "not a DX256 file");
        return 1;
    }
    Dx256Image dx;
    dx.SetMessageSink(StderrSink());
    if (dx.LoadDx256(file) != Dx256LoadResult::Loaded) return 1;

    for (const auto& [name, text] : describe) {
        const auto room = ParseRoomName(name);
        if (!room) return UsageError(self, "no room " + name + " (A01 to P16)");
        if (dx.SetRoomDescription(room->first, room->second, text) != EngineResult::Ok) {
            std::fprintf(stderr, "q64 dx256: room %s is not in use\n", RoomName(room->first, room->second).c_str());
            return 1;
        }
    }
    if (change.what != W::None) {
        const auto room = RoomOption(self, change.room);
        if (!room) return 2;
        switch (change.what) {
        case W::Export:
            if (!describe.empty() && !Save(self, dx, *mode)) return 1;
            return ExportRoom(self, dx, *room, rest[1]);
        case W::Import: {
            std::vector<std::uint8_t> bytes;
            bool tooLarge = false;
            std::string message;
            if (!ReadWholeFile(rest[1], dx256::kRoomSize, bytes, tooLarge, message) ||
                bytes.size() != dx256::kRoomSize) {
                SayAbout(self, rest[1], tooLarge || message.empty() ? "not a save of 512 bytes" : message);
                return 1;
            }
            if (!MayReplace(dx, *room, force)) return 1;
            dx.PutRoom(room->first, room->second, bytes);
            break;
        }
        case W::Move: {
            const auto to = RoomOption(self, change.other);
            if (!to) return 2;
            if (*to != *room && !MayReplace(dx, *to, force)) return 1;
            if (dx.MoveRoom(room->first, room->second, to->first, to->second) != EngineResult::Ok) return 1;
            break;
        }
        case W::Clear: dx.ClearRoom(room->first, room->second); break;
        case W::None: break;
        }
    }
    if (dx.HasChanges() && !Save(self, dx, *mode)) return 1;

    // Headed as the dialog's grid; "Type" tells a room in use from a free one.
    if (!json) std::printf("%-5s %-10s %s\n", "Room", "Type", "Description");
    for (const RoomRow& row : dx.ListRooms()) {
        if (json)
            std::printf("{\"room\":\"%s\",\"inUse\":%s,\"type\":\"%s\",\"description\":%s}\n", row.room.c_str(),
                        row.inUse ? "true" : "false", row.inUse ? "EEPROM 4K" : "",
                        JsonText(row.description).c_str());
        else
            std::printf("%-5s %-10s %s\n", row.room.c_str(), row.inUse ? "EEPROM 4K" : "",
                        row.description.c_str());
    }
    dx.Clear();
    return 0;
}

} // namespace q64::cli
