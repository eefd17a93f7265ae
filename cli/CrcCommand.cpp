// q64 crc: the "Calculate CRC" command: compare the header checksums with the
// computed pair and, with --fix, write the computed pair.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/Checksum.h"
#include "engine/RomImage.h"

namespace q64::cli {

namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// Without a computation the pairs and the boot chip are null, never zeros that look valid.
void PrintJson(const std::string& path, const ChecksumValues& v, bool computed, bool fixed, EngineResult result) {
    const auto hex = [computed](std::uint32_t value) { return computed ? "\"" + Hex(value) + "\"" : std::string("null"); };
    const std::string chip = computed ? std::to_string(static_cast<int>(v.chip)) : "null";
    std::printf("{%s,\"stored1\":%s,\"stored2\":%s,\"new1\":%s,\"new2\":%s,"
                "\"valid\":%s,\"cic\":%s,\"fixed\":%s,\"result\":%d}\n",
                JsonPathFields("path", path).c_str(), hex(v.stored1).c_str(), hex(v.stored2).c_str(),
                hex(v.new1).c_str(), hex(v.new2).c_str(), computed && v.Valid() ? "true" : "false", chip.c_str(),
                fixed ? "true" : "false", ToInt(result));
}

void PrintText(const ChecksumValues& v, bool fixed) {
    if (v.Valid()) {
        std::printf("Valid Checksum Found\n0x%08X:0x%08X\n", v.stored1, v.stored2);
    } else {
        std::printf("Invalid Checksum Found\nOriginal\t0x%08X:0x%08X\nNew\t0x%08X:0x%08X\n", v.stored1, v.stored2,
                    v.new1, v.new2);
    }
    std::printf("Boot Chip\t%d\n", static_cast<int>(v.chip));
    if (fixed) std::printf("Checksum Fixed\n");
}

// One file: check, fix on request, print; 0 when the check (and fix) ran.
int CheckOne(const Command& self, const std::string& path, BackupMode mode, bool fix, bool json) {
    RomImage image;
    const EngineResult loaded = IdentifyForCommand(self, image, path);
    if (loaded != EngineResult::Ok) {
        if (json) PrintJson(path, {}, false, false, loaded);
        return 1;
    }
    if (fix && RefuseBackupFile(self, path)) return 1;
    ChecksumValues values;
    EngineResult result = CalcChecksum(image, mode, ChecksumFix::No, values);
    const bool computed = result == EngineResult::Ok;
    bool fixed = false;
    if (result == EngineResult::Ok && fix && !values.Valid()) {
        // As the dialog's "Yes": the whole computation runs again before the write.
        ChecksumValues written;
        result = CalcChecksum(image, mode, ChecksumFix::Yes, written);
        fixed = result == EngineResult::Ok;
    }
    if (json)
        PrintJson(path, values, computed, fixed, result);
    else if (computed)
        PrintText(values, fixed);
    return ExitStatusFor(self, path, result, &image);
}

} // namespace

int RunCrc(ArgParser& args) {
    const Command& self = CommandNamed("crc");
    const bool fix = args.Flag("fix");
    const bool json = args.Flag("json");
    // The settings are read only for a fix without --backup.
    const std::optional<BackupMode> given = GivenBackupOption(args);
    const BackupMode mode =
        given ? *given : (fix && args.Ok() ? BackupModeFromSetting(LoadSettings().Backup) : BackupMode::Temporary);
    const std::vector<std::string> files = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (files.empty()) return UsageError(self, "give at least one FILE");
    int failed = 0;
    for (const std::string& path : files) {
        if (!json && files.size() > 1) std::printf("%s\n", path.c_str());
        if (CheckOne(self, path, mode, fix, json) != 0) ++failed;
    }
    return failed == 0 ? 0 : 1;
}

} // namespace q64::cli
