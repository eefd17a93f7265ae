// q64 verify: "Verify Images": compare images with a DAT file, through the
// hash cache, and optionally "Rename to DAT Names".

#include <cstdio>
#include <memory>

#include "browser/VerifyImages.h"
#include "browser/cache/SqliteHashCache.h"
#include "cli/Cli.h"
#include "cli/services/ServicesModule.h"
#include "engine/Territory.h"

namespace q64::cli {

namespace {

std::string Hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

void PrintJson(const VerifyRow& row) {
    const bool image = row.outcome == VerifyOutcome::Good || row.outcome == VerifyOutcome::Bad ||
                       row.outcome == VerifyOutcome::Unknown;
    std::printf("{%s,\"result\":\"%s\",\"game\":%s,\"rom\":%s", JsonPathFields("path", row.path).c_str(),
                OutcomeText(row.outcome), JsonText(row.game).c_str(), JsonText(row.romName).c_str());
    if (image) {
        std::printf(",\"sha1\":\"%s\",\"crc32\":\"%s\",\"size\":%llu,\"format\":%s,\"compressed\":%s,"
                    "\"checksumValid\":%s,\"checksumInvalidButGood\":%s,\"cached\":%s",
                    HexDigest(row.hashes.sha1).c_str(), Hex32(row.hashes.crc32).c_str(),
                    static_cast<unsigned long long>(row.hashes.size),
                    JsonText(FormatByteOrder(row.hashes.format)).c_str(), row.hashes.compressed ? "true" : "false",
                    row.hashes.hasChecksum && row.hashes.checksumValid ? "true" : "false",
                    row.ChecksumInvalidButGood() ? "true" : "false", row.fromCache ? "true" : "false");
    } else {
        std::printf(",\"message\":%s", JsonText(row.message).c_str());
    }
    std::printf("}\n");
}

void PrintText(const VerifyRow& row) {
    switch (row.outcome) {
    case VerifyOutcome::Good:
        std::printf("%s: good: %s%s\n", row.path.c_str(), row.game.c_str(),
                    row.ChecksumInvalidButGood() ? " (header checksum invalid as released: not to be fixed)" : "");
        return;
    case VerifyOutcome::Bad: std::printf("%s: bad: differs from %s\n", row.path.c_str(), row.game.c_str()); return;
    case VerifyOutcome::Unknown: std::printf("%s: unknown\n", row.path.c_str()); return;
    case VerifyOutcome::NotImage:
        std::printf("%s: %s: %s\n", row.path.c_str(), OutcomeText(row.outcome), row.message.c_str());
        return;
    case VerifyOutcome::Unreadable: // as every command says it
        std::fprintf(stderr, "q64 verify: %s: %s\n", row.path.c_str(), row.message.c_str());
        return;
    }
}

} // namespace

int VerifyImagesCommand(const Command& self, ArgParser& args) {
    const Settings settings = LoadSettings();
    const bool json = args.Flag("json");
    const bool rename = args.Flag("rename");
    const bool noCache = args.Flag("no-cache");
    const std::optional<std::string> datOption = args.Value("dat");
    const std::vector<std::string> names = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (names.empty()) return UsageError(self, "give at least one FILE or DIR");
    const std::string datPath = datOption ? *datOption : settings.DatFile;
    if (datPath.empty()) return UsageError(self, "no DAT file: give --dat FILE or set \"DatFile\"");

    DatFile dat;
    std::string message;
    if (!LoadDatFile(datPath, dat, message)) {
        std::fprintf(stderr, "q64 verify: %s\n", message.c_str());
        return 1;
    }
    const DatIndex index(dat);
    std::unique_ptr<SqliteHashCache> cache;
    if (!noCache) {
        cache = std::make_unique<SqliteHashCache>(SqliteHashCache::DefaultPath());
        if (!cache->Usable())
            std::fprintf(stderr, "q64 verify: no hash cache: %s; every image is read in full\n",
                         cache->Problem().c_str());
    }

    const ProgressFn bar = StderrProgress("Verifying");
    const std::vector<VerifyRow> rows =
        VerifyFiles(names, index, cache.get(), [&](std::size_t, std::size_t, const std::string&, int percent) {
            return bar ? bar(percent) : kProgressGoOn;
        });
    bool allGood = true;
    for (const VerifyRow& row : rows) {
        json ? PrintJson(row) : PrintText(row);
        allGood = allGood && row.outcome == VerifyOutcome::Good;
    }
    if (rename) {
        for (const RenameRow& r : RenameToDatNames(rows)) {
            switch (r.outcome) {
            case RenameOutcome::Renamed: std::fprintf(stderr, "renamed %s -> %s\n", r.from.c_str(), r.to.c_str()); break;
            case RenameOutcome::AlreadyNamed:
            case RenameOutcome::Skipped: break;
            case RenameOutcome::Exists:
            case RenameOutcome::Failed:
                std::fprintf(stderr, "q64 verify: %s\n", r.message.c_str());
                allGood = false;
                break;
            }
        }
    }
    return allGood ? 0 : 1;
}

} // namespace q64::cli
