// q64 dx256: lists the rooms of a DX256 save file and edits their descriptions.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/Dx256File.h"
#include "engine/RomImage.h"

namespace q64::cli {

int RunDx256(ArgParser& args) {
    const Command& self = CommandNamed("dx256");
    const bool json = args.Flag("json");
    std::vector<std::pair<std::string, std::string>> describe; // room name, text
    while (const auto value = args.Value("describe")) {
        const std::size_t eq = value->find('=');
        if (eq == std::string::npos) {
            args.Fail("--describe takes ROOM=TEXT, not " + *value);
            break;
        }
        describe.emplace_back(value->substr(0, eq), value->substr(eq + 1));
    }
    const auto mode = BackupModeOption(args);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 1) return UsageError(self, "give exactly one FILE");
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
    if (!describe.empty() && dx.SaveDescriptions(*mode) != EngineResult::Ok) return 1;

    // Headed as the dialog's grid; "Type" tells a room in use from a free one.
    if (!json) std::printf("%-5s %-7s %s\n", "Room", "Type", "Description");
    for (const RoomRow& row : dx.ListRooms()) {
        if (json)
            std::printf("{\"room\":\"%s\",\"inUse\":%s,\"description\":%s}\n", row.room.c_str(),
                        row.inUse ? "true" : "false", JsonText(row.description).c_str());
        else
            std::printf("%-5s %-7s %s\n", row.room.c_str(), row.inUse ? "in use" : "free", row.description.c_str());
    }
    dx.Clear();
    return 0;
}

} // namespace q64::cli
