// q64 mempak: the notes of a Controller Pak file (plain 32768 bytes or a
// DexDrive image): list, export, import, delete, rename, check, repair, format.

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/FileChange.h"
#include "engine/MemoryPakFile.h"
#include "engine/OperationIo.h"

namespace q64::cli {

namespace {

// How many words each action takes after its name (FILE included).
struct Action {
    const char* name;
    std::size_t words;
    const char* usage;
};
constexpr Action kActions[] = {
    {"list", 1, "list FILE"},           {"export", 3, "export FILE NOTE OUT"},
    {"import", 2, "import FILE NOTEFILE"}, {"delete", 2, "delete FILE NOTE"},
    {"rename", 3, "rename FILE NOTE NAME"}, {"check", 1, "check FILE"},
    {"repair", 1, "repair FILE"},       {"format", 1, "format FILE"},
};

std::optional<int> NoteNumber(const std::string& text) {
    const auto n = ParseDecimalText(text);
    if (!n || *n < 1 || *n > mempak::kNoteCount) return std::nullopt;
    return static_cast<int>(*n);
}

void PrintList(const std::string& path, const PakReport& report, bool json) {
    if (json) {
        std::printf("{%s,\"freePages\":%d,\"damaged\":%s,\"notes\":[", JsonPathFields("path", path).c_str(),
                    report.freePages, report.Damaged() ? "true" : "false");
        for (std::size_t i = 0; i < report.notes.size(); ++i) {
            const PakNote& n = report.notes[i];
            std::printf("%s{\"index\":%d,\"gameCode\":%s,\"publisher\":%s,\"name\":%s,\"extension\":%s,\"pages\":%zu%s}",
                        i ? "," : "", n.number, JsonText(n.gameCode).c_str(), JsonText(n.publisher).c_str(),
                        JsonText(n.name).c_str(), JsonText(n.extension).c_str(), n.pages.size(),
                        n.damaged ? ",\"damaged\":true" : "");
        }
        std::printf("]}\n");
        return;
    }
    std::printf("%-4s %-6s %-4s %-16s %-4s %s\n", "Note", "Game", "Pub", "Name", "Ext", "Pages");
    for (const PakNote& n : report.notes)
        std::printf("%-4d %-6s %-4s %-16s %-4s %zu%s\n", n.number, n.gameCode.c_str(), n.publisher.c_str(),
                    n.name.c_str(), n.extension.c_str(), n.pages.size(), n.damaged ? " (damaged)" : "");
    std::printf("Free Pages: %d of %d\n", report.freePages, mempak::kNotePages);
    if (report.Damaged()) std::printf("The pak is damaged: q64 mempak check lists what is wrong.\n");
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Any 32768-byte file reads as a pak, a 32 KiB SRAM save too. A file none of
// whose four ID copies is sound is most likely no pak at all: it is changed
// only with --force, so a mistyped name does not turn a save into a pak.
bool RefuseNoPak(const Command& self, const std::string& path, const PakReport& report, bool force) {
    if (force) return false;
    for (const PakFault& fault : report.faults)
        if (fault.kind == PakFaultKind::NoValidId) {
            SayAbout(self, path,
                     "no copy of its ID area is sound, so it may be no memory pak; give --force to change it all "
                     "the same");
            return true;
        }
    return false;
}

int Format(const Command& self, const std::string& path, bool force, BackupMode mode) {
    std::string message;
    const PakData fresh = FormatPak(static_cast<std::uint64_t>(std::time(nullptr)) ^ 0x51564C36344D504Bull);
    if (!Exists(path)) {
        if (WriteWholeFile(path, fresh, ExistingFile::Refuse, message) != EngineResult::Ok) {
            SayAbout(self, path, message);
            return 1;
        }
        std::printf("%s: formatted, 123 free pages\n", path.c_str());
        return 0;
    }
    PakFile file;
    if (ReadPakFile(path, file, message) != EngineResult::Ok) {
        SayAbout(self, path, message + "; only a memory pak is formatted");
        return 1;
    }
    const PakReport report = InspectPak(file.pak);
    if (RefuseNoPak(self, path, report, force)) return 1;
    const std::size_t notes = report.notes.size();
    if (notes != 0 && !force) {
        SayAbout(self, path, "the pak holds " + std::to_string(notes) + " notes; give --force to format it all the same");
        return 1;
    }
    file.pak = fresh;
    for (int n = 1; n <= mempak::kNoteCount; ++n) file.ClearComment(n);
    std::string backup;
    if (RewritePakFile(path, file, mode, message, &backup) != EngineResult::Ok) {
        SayAbout(self, path, message);
        return 1;
    }
    SayBackup(self, path, backup);
    std::printf("%s: formatted, 123 free pages\n", path.c_str());
    return 0;
}

} // namespace

int RunMempak(ArgParser& args) {
    const Command& self = CommandNamed("mempak");
    const bool json = args.Flag("json");
    const bool force = args.Flag("force");
    const BackupMode mode = BackupOption(args, LoadSettings());
    std::vector<std::string> words = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (words.empty()) return UsageError(self, "give an action: list, export, import, delete, rename, check, repair, format");
    const Action* action = nullptr;
    for (const Action& a : kActions)
        if (words[0] == a.name) action = &a;
    if (!action) return UsageError(self, "unknown action " + words[0]);
    if (words.size() != action->words + 1) return UsageError(self, std::string("usage: q64 mempak ") + action->usage);
    const std::string what = words[0];
    const std::string& path = words[1];
    if (what == "format") return Format(self, path, force, mode);

    PakFile file;
    std::string message;
    if (ReadPakFile(path, file, message) != EngineResult::Ok) {
        SayAbout(self, path, message);
        return 1;
    }
    const PakReport report = InspectPak(file.pak);
    if (what == "list") {
        PrintList(path, report, json);
        return 0;
    }
    if (what == "check") {
        for (const PakFault& fault : report.faults) std::printf("%s: %s\n", path.c_str(), fault.text.c_str());
        if (!report.Damaged())
            std::printf("%s: sound, notes: %zu, free pages: %d\n", path.c_str(), report.notes.size(), report.freePages);
        return report.Damaged() ? 1 : 0;
    }

    std::optional<int> note;
    if (what == "export" || what == "delete" || what == "rename") {
        note = NoteNumber(words[2]);
        if (!note) return UsageError(self, "NOTE is a number from 1 to 16, not " + words[2]);
    }
    if (what == "export") {
        const std::vector<std::uint8_t> bytes =
            ExportNote(file.pak, *note, static_cast<std::uint32_t>(std::time(nullptr)), message);
        if (bytes.empty()) {
            SayAbout(self, path, message);
            return 1;
        }
        if (WriteWholeFile(words[3], bytes, ExistingFile::Refuse, message) != EngineResult::Ok) {
            SayAbout(self, words[3], message);
            return 1;
        }
        std::printf("%s\n", words[3].c_str());
        return 0;
    }

    if (RefuseNoPak(self, path, report, force)) return 1;
    EngineResult result = EngineResult::Ok;
    std::vector<std::string> done;
    if (what == "import") {
        std::vector<std::uint8_t> noteFile;
        bool tooLarge = false;
        if (!ReadWholeFile(words[2], 1u << 20, noteFile, tooLarge, message)) {
            SayAbout(self, words[2], tooLarge ? "not a note file" : message);
            return 1;
        }
        int number = 0;
        result = ImportNote(file.pak, noteFile, message, &number);
        if (result == EngineResult::Ok) {
            file.ClearComment(number);
            done.push_back("imported as note " + std::to_string(number));
        }
    } else if (what == "delete") {
        result = DeleteNote(file.pak, *note, message);
        if (result == EngineResult::Ok) file.ClearComment(*note);
        done.push_back("note " + std::to_string(*note) + " deleted");
    } else if (what == "rename") {
        result = RenameNote(file.pak, *note, words[3], message);
        done.push_back("note " + std::to_string(*note) + " renamed");
    } else if (what == "repair") {
        done = RepairPak(file.pak);
        if (done.empty()) {
            std::printf("%s: nothing to repair\n", path.c_str());
            return 0;
        }
    }
    if (result != EngineResult::Ok) {
        SayAbout(self, path, message);
        return 1;
    }
    std::string backup;
    if (RewritePakFile(path, file, mode, message, &backup) != EngineResult::Ok) {
        SayAbout(self, path, message);
        return 1;
    }
    SayBackup(self, path, backup);
    for (const std::string& line : done) std::printf("%s: %s\n", path.c_str(), line.c_str());
    return 0;
}

} // namespace q64::cli
