#include "engine/MemoryPak.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "engine/PakText.h"

namespace q64 {

namespace {

using namespace mempak;

// Note entry fields.
constexpr std::size_t kGameCode = 0;
constexpr std::size_t kPublisher = 4;
constexpr std::size_t kFirstPage = 6;
constexpr std::size_t kStatus = 8;
constexpr std::size_t kExtension = 12;
constexpr std::size_t kName = 16;
constexpr std::size_t kNameLength = 16;

// ".note" files.
constexpr std::size_t kNoteHeaderSize = 16;
constexpr std::size_t kOldNoteCommentSize = 256; // version 0's fixed comment
constexpr char kNoteMagic[] = "MPKNote";
constexpr std::uint8_t kNoteVersion = 1;
constexpr std::uint16_t kNoteMarker = 0xCAFE; // stands for the first page in a note file

std::uint16_t Be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
void PutBe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

std::string Format(const char* format, int a, int b = 0, int c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string Printable(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '-';
    return text;
}

std::string PageList(const std::vector<int>& pages) {
    std::string text;
    for (int page : pages) text += (text.empty() ? "" : ", ") + std::to_string(page);
    return text;
}

const std::uint8_t* Entry(const PakData& pak, int number) {
    return pak.data() + kNoteTable + kNoteEntrySize * static_cast<std::size_t>(number - 1);
}
std::uint8_t* Entry(PakData& pak, int number) {
    return pak.data() + kNoteTable + kNoteEntrySize * static_cast<std::size_t>(number - 1);
}

bool EntryInUse(const std::uint8_t* entry) {
    return std::any_of(entry + kGameCode, entry + kFirstPage, [](std::uint8_t b) { return b != 0; });
}

// A page's index value in the table at `table`.
std::uint16_t IndexValue(const PakData& pak, std::size_t table, int page) {
    return Be16(pak.data() + table + 2 * static_cast<std::size_t>(page));
}

bool NotePage(int page) { return page >= kFirstNotePage && page < kPageCount; }
bool KnownValue(std::uint16_t v) { return v == kLastPage || v == kFreePage || NotePage(v); }

std::string NoteLabel(const PakNote& note) {
    std::string label = "note " + std::to_string(note.number) + " (" + note.gameCode;
    if (!note.name.empty()) label += " " + note.name;
    return label + ")";
}

// One index table read against the note table.
struct TableScan {
    std::vector<PakNote> notes;         // every entry in use, damaged ones included
    std::vector<PakFault> faults;       // values, starts, chains, orphans
    std::array<int, kPageCount> owner{}; // note number owning each page, 0 for none
    int freePages = 0;
    bool checksumOk = true;
};

PakNote ReadEntry(const PakData& pak, int number) {
    const std::uint8_t* e = Entry(pak, number);
    PakNote note;
    note.number = number;
    note.gameCode = Printable(e + kGameCode, 4);
    note.publisher = Printable(e + kPublisher, 2);
    note.name = DecodePakText(e + kName, kNameLength);
    note.extension = DecodePakText(e + kExtension, 1);
    return note;
}

TableScan ScanTable(const PakData& pak, std::size_t table, const std::string& tableName) {
    TableScan scan;
    scan.checksumOk = pak[table + 1] == IndexTableChecksum(pak.data() + table);
    for (int page = kFirstNotePage; page < kPageCount; ++page) {
        const std::uint16_t v = IndexValue(pak, table, page);
        if (!KnownValue(v))
            scan.faults.push_back({PakFaultKind::IndexValue, 0,
                                   Format("page %d holds the index value 0x%04X in ", page, v) + tableName});
    }
    auto fault = [&](PakFaultKind kind, PakNote& note, const std::string& what) {
        note.damaged = true;
        scan.faults.push_back({kind, note.number, NoteLabel(note) + " " + what});
    };
    for (int number = 1; number <= kNoteCount; ++number) {
        if (!EntryInUse(Entry(pak, number))) continue;
        PakNote note = ReadEntry(pak, number);
        const int start = Be16(Entry(pak, number) + kFirstPage);
        if (!NotePage(start)) {
            fault(PakFaultKind::NoteStart, note, Format("starts at page %d, outside pages 5..127", start));
        } else if (IndexValue(pak, table, start) == kFreePage) {
            fault(PakFaultKind::NoteStart, note, Format("starts at page %d, a free page", start));
        } else {
            for (int page = start;;) {
                if (scan.owner[page] == number) {
                    fault(PakFaultKind::ChainLoops, note, Format("loops back to its page %d", page));
                    break;
                }
                if (scan.owner[page] != 0) {
                    fault(PakFaultKind::ChainCrosses, note,
                          Format("runs into page %d of note %d", page, scan.owner[page]));
                    break;
                }
                scan.owner[page] = number;
                note.pages.push_back(page);
                const std::uint16_t next = IndexValue(pak, table, page);
                if (next == kLastPage) break;
                if (next == kFreePage) {
                    fault(PakFaultKind::ChainLeaves, note, Format("leads from page %d to a free page", page));
                    break;
                }
                if (!NotePage(next)) {
                    fault(PakFaultKind::ChainLeaves, note,
                          Format("leads from page %d to 0x%04X, outside pages 5..127", page, next));
                    break;
                }
                page = next;
            }
        }
        scan.notes.push_back(std::move(note));
    }
    std::vector<int> orphans;
    for (int page = kFirstNotePage; page < kPageCount; ++page) {
        const std::uint16_t v = IndexValue(pak, table, page);
        if (scan.owner[page] != 0) continue;
        if (v == kFreePage) ++scan.freePages;
        else if (KnownValue(v)) orphans.push_back(page);
    }
    if (!orphans.empty())
        scan.faults.push_back({PakFaultKind::OrphanPages, 0,
                               "pages " + PageList(orphans) + " are marked in use in " + tableName +
                                   " but no note reaches them"});
    return scan;
}

// How bad a table is: its faults, and its checksum.
std::size_t Badness(const TableScan& scan) { return scan.faults.size() * 2 + (scan.checksumOk ? 0 : 1); }

int FirstSoundIdBlock(const PakData& pak) {
    for (int i = 0; i < 4; ++i)
        if (IdBlockValid(pak.data() + kIdBlocks[i])) return i;
    return -1;
}

bool SameBytes(const PakData& pak, std::size_t a, std::size_t b, std::size_t count) {
    return std::memcmp(pak.data() + a, pak.data() + b, count) == 0;
}

// The sound state every edit needs.
bool RefuseDamaged(const PakData& pak, std::string& message) {
    if (pak.size() != kSize) {
        message = "not a memory pak of 32768 bytes";
        return true;
    }
    const PakReport report = InspectPak(pak);
    if (!report.Damaged()) return false;
    message = "the pak is damaged (" + report.faults.front().text + "); repair it first";
    return true;
}

void WriteBothTables(PakData& pak, std::vector<std::uint8_t> table) {
    table[1] = IndexTableChecksum(table.data());
    std::copy(table.begin(), table.end(), pak.begin() + kIndexTable);
    std::copy(table.begin(), table.end(), pak.begin() + kIndexBackup);
}

std::vector<std::uint8_t> PrimaryTable(const PakData& pak) {
    return std::vector<std::uint8_t>(pak.begin() + kIndexTable, pak.begin() + kIndexTable + kPageSize);
}

} // namespace

IdChecksums ComputeIdChecksums(const std::uint8_t* block) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 28; i += 2) sum = static_cast<std::uint16_t>(sum + Be16(block + i));
    return IdChecksums{sum, static_cast<std::uint16_t>(0xFFF2 - sum)};
}

bool IdBlockValid(const std::uint8_t* block) {
    const IdChecksums c = ComputeIdChecksums(block);
    return Be16(block + 28) == c.sum && Be16(block + 30) == c.inverse;
}

bool HasValidIdArea(const std::uint8_t* page0) {
    return std::any_of(std::begin(kIdBlocks), std::end(kIdBlocks),
                       [&](std::size_t at) { return IdBlockValid(page0 + at); });
}

std::uint8_t IndexTableChecksum(const std::uint8_t* table) {
    unsigned sum = 0;
    for (std::size_t i = 2 * kFirstNotePage; i < kPageSize; ++i) sum += table[i];
    return static_cast<std::uint8_t>(sum);
}

const PakNote* PakReport::Note(int number) const {
    for (const PakNote& note : notes)
        if (note.number == number) return &note;
    return nullptr;
}

PakReport InspectPak(const PakData& pak) {
    PakReport report;
    if (pak.size() != kSize) {
        report.faults.push_back({PakFaultKind::NoValidId, 0, "not a memory pak of 32768 bytes"});
        return report;
    }
    const int sound = FirstSoundIdBlock(pak);
    if (sound < 0) report.faults.push_back({PakFaultKind::NoValidId, 0, "no copy of the ID block is sound"});
    for (int i = 0; i < 4 && sound >= 0; ++i) {
        if (!IdBlockValid(pak.data() + kIdBlocks[i]))
            report.faults.push_back({PakFaultKind::IdChecksum, 0,
                                     Format("ID block copy %d (at 0x%02X) has wrong checksums", i + 1,
                                            static_cast<int>(kIdBlocks[i]))});
        else if (!SameBytes(pak, kIdBlocks[i], kIdBlocks[sound], kIdBlockSize))
            report.faults.push_back({PakFaultKind::IdCopyDiffers, 0,
                                     Format("ID block copy %d differs from copy %d", i + 1, sound + 1)});
    }

    TableScan primary = ScanTable(pak, kIndexTable, "the index table");
    const TableScan backup = ScanTable(pak, kIndexBackup, "the backup index table");
    if (!primary.checksumOk)
        report.faults.push_back({PakFaultKind::IndexChecksum, 0,
                                 Format("the index table's checksum is 0x%02X, it should be 0x%02X",
                                        pak[kIndexTable + 1], IndexTableChecksum(pak.data() + kIndexTable))});
    report.faults.insert(report.faults.end(), primary.faults.begin(), primary.faults.end());
    if (!SameBytes(pak, kIndexTable, kIndexBackup, kPageSize))
        report.faults.push_back({PakFaultKind::IndexBackupDiffers, 0,
                                 std::string("the backup index table differs from the index table") +
                                     (backup.faults.empty() && backup.checksumOk ? "" : " and is damaged too")});

    report.readFromBackup = Badness(backup) < Badness(primary);
    const TableScan& chosen = report.readFromBackup ? backup : primary;
    report.notes = chosen.notes;
    report.freePages = chosen.freePages;
    for (const PakNote& note : report.notes)
        if (!(Entry(pak, note.number)[kStatus] & kNoteFlag))
            report.faults.push_back(
                {PakFaultKind::NoteFlag, note.number, NoteLabel(note) + " lacks the status bit games look for"});
    return report;
}

std::vector<std::string> RepairPak(PakData& pak) {
    std::vector<std::string> done;
    if (pak.size() != kSize) return done;

    // The ID area from its first sound copy.
    const int sound = FirstSoundIdBlock(pak);
    if (sound < 0) {
        std::uint8_t* first = pak.data() + kIdBlocks[0];
        const IdChecksums c = ComputeIdChecksums(first);
        PutBe16(first + 28, c.sum);
        PutBe16(first + 30, c.inverse);
        for (int i = 1; i < 4; ++i) std::memcpy(pak.data() + kIdBlocks[i], first, kIdBlockSize);
        done.push_back("no ID block copy was sound: copy 1's checksums were recomputed and written to all four copies");
    } else {
        std::vector<int> restored;
        for (int i = 0; i < 4; ++i) {
            if (SameBytes(pak, kIdBlocks[i], kIdBlocks[sound], kIdBlockSize)) continue;
            std::memcpy(pak.data() + kIdBlocks[i], pak.data() + kIdBlocks[sound], kIdBlockSize);
            restored.push_back(i + 1);
        }
        if (!restored.empty())
            done.push_back("ID block " + std::string(restored.size() > 1 ? "copies " : "copy ") + PageList(restored) +
                           " restored from copy " + std::to_string(sound + 1));
    }

    // The index table from the sounder copy.
    const bool primaryChecksumOk = pak[kIndexTable + 1] == IndexTableChecksum(pak.data() + kIndexTable);
    const bool tablesDiffered = !SameBytes(pak, kIndexTable, kIndexBackup, kPageSize);
    const TableScan primary = ScanTable(pak, kIndexTable, "the index table");
    const TableScan backup = ScanTable(pak, kIndexBackup, "the backup index table");
    if (Badness(backup) < Badness(primary)) {
        std::copy(pak.begin() + kIndexBackup, pak.begin() + kIndexBackup + kPageSize, pak.begin() + kIndexTable);
        done.push_back("index table restored from its backup copy");
    }

    // Notes whose chain is broken go; their pages are freed.
    const TableScan scan = ScanTable(pak, kIndexTable, "the index table");
    std::vector<std::uint8_t> table = PrimaryTable(pak);
    for (const PakFault& fault : scan.faults) {
        if (fault.note == 0) continue;
        for (int page = kFirstNotePage; page < kPageCount; ++page)
            if (scan.owner[page] == fault.note) PutBe16(table.data() + 2 * page, kFreePage);
        std::memset(Entry(pak, fault.note), 0, kNoteEntrySize);
        done.push_back(fault.text + "; the note was removed");
    }
    // Pages no note reaches, and values a pak never holds, become free.
    std::vector<int> freed;
    for (int page = kFirstNotePage; page < kPageCount; ++page) {
        if (scan.owner[page] != 0 || Be16(table.data() + 2 * page) == kFreePage) continue;
        PutBe16(table.data() + 2 * page, kFreePage);
        freed.push_back(page);
    }
    if (!freed.empty())
        done.push_back((freed.size() > 1 ? "pages " : "page ") + PageList(freed) + " freed: no note reached them");
    const bool tableChanged = !std::equal(table.begin(), table.end(), pak.begin() + kIndexTable);
    WriteBothTables(pak, table);
    if (!primaryChecksumOk && !tableChanged) done.push_back("index table checksum corrected");
    if (tablesDiffered) done.push_back("backup index table rewritten from the index table");

    for (int number = 1; number <= kNoteCount; ++number) {
        std::uint8_t* entry = Entry(pak, number);
        if (!EntryInUse(entry) || (entry[kStatus] & kNoteFlag)) continue;
        entry[kStatus] |= kNoteFlag;
        done.push_back("note " + std::to_string(number) + " given the status bit games look for");
    }
    return done;
}

PakData FormatPak(std::uint64_t serialSeed) {
    PakData pak(kSize, 0);
    std::uint8_t* id = pak.data() + kIdBlocks[0];
    // The serial: 24 bytes of a SplitMix64 sequence over the seed.
    std::uint64_t state = serialSeed;
    for (std::size_t i = 0; i < 24; i += 8) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        for (std::size_t b = 0; b < 8; ++b) id[i + b] = static_cast<std::uint8_t>(z >> (56 - 8 * b));
    }
    PutBe16(id + 24, 0x0001); // device id: a Controller Pak
    id[26] = 0x01;            // one bank of 32 KiB
    id[27] = 0x00;            // version
    const IdChecksums c = ComputeIdChecksums(id);
    PutBe16(id + 28, c.sum);
    PutBe16(id + 30, c.inverse);
    for (int i = 1; i < 4; ++i) std::memcpy(pak.data() + kIdBlocks[i], id, kIdBlockSize);
    std::vector<std::uint8_t> table(kPageSize, 0);
    for (int page = kFirstNotePage; page < kPageCount; ++page) PutBe16(table.data() + 2 * page, kFreePage);
    WriteBothTables(pak, table);
    return pak;
}

std::vector<std::uint8_t> ExportNote(const PakData& pak, int number, std::uint32_t unixTime, std::string& message) {
    if (pak.size() != kSize) {
        message = "not a memory pak of 32768 bytes";
        return {};
    }
    const PakReport report = InspectPak(pak);
    const PakNote* note = report.Note(number);
    if (!note) {
        message = "note " + std::to_string(number) + " is not in use";
        return {};
    }
    if (note->damaged) {
        message = NoteLabel(*note) + " is damaged; repair the pak first";
        return {};
    }
    std::vector<std::uint8_t> out(kNoteHeaderSize, 0);
    out[0] = kNoteVersion;
    std::memcpy(out.data() + 1, kNoteMagic, 7);
    for (int i = 0; i < 4; ++i) out[11 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(unixTime >> (24 - 8 * i));
    const std::uint8_t* entry = Entry(pak, number);
    out.insert(out.end(), entry, entry + kNoteEntrySize);
    PutBe16(out.data() + kNoteHeaderSize + kFirstPage, kNoteMarker);
    for (int page : note->pages) {
        const auto from = pak.begin() + static_cast<std::ptrdiff_t>(kPageSize * static_cast<std::size_t>(page));
        out.insert(out.end(), from, from + kPageSize);
    }
    return out;
}

EngineResult ImportNote(PakData& pak, const std::vector<std::uint8_t>& file, std::string& message, int* number) {
    std::size_t skip = 0;
    if (file.size() >= kNoteHeaderSize && std::memcmp(file.data() + 1, kNoteMagic, 7) == 0)
        skip = kNoteHeaderSize + (file[0] == 0 ? kOldNoteCommentSize : 16u * file[15]);
    const std::size_t body = file.size() > skip ? file.size() - skip : 0;
    const std::uint8_t* entry = file.data() + skip;
    if (body < kNoteEntrySize + kPageSize || (body - kNoteEntrySize) % kPageSize != 0 ||
        Be16(entry + kFirstPage) != kNoteMarker || !EntryInUse(entry)) {
        message = "not a note file";
        return EngineResult::ErrFormat;
    }
    const int pages = static_cast<int>((body - kNoteEntrySize) / kPageSize);
    if (RefuseDamaged(pak, message)) return EngineResult::ErrFailed;
    const PakReport report = InspectPak(pak);
    if (pages > report.freePages) {
        message = "the note needs " + std::to_string(pages) + " pages and the pak has " +
                  std::to_string(report.freePages) + " free";
        return EngineResult::ErrFailed;
    }
    int slot = 0;
    for (int n = 1; n <= kNoteCount && slot == 0; ++n)
        if (!EntryInUse(Entry(pak, n))) slot = n;
    if (slot == 0) {
        message = "the pak's note table is full (16 notes)";
        return EngineResult::ErrFailed;
    }
    std::vector<int> chosen;
    for (int page = kFirstNotePage; page < kPageCount && static_cast<int>(chosen.size()) < pages; ++page)
        if (IndexValue(pak, kIndexTable, page) == kFreePage) chosen.push_back(page);
    std::vector<std::uint8_t> table = PrimaryTable(pak);
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        PutBe16(table.data() + 2 * chosen[i], i + 1 < chosen.size() ? static_cast<std::uint16_t>(chosen[i + 1]) : kLastPage);
        std::memcpy(pak.data() + kPageSize * static_cast<std::size_t>(chosen[i]),
                    entry + kNoteEntrySize + kPageSize * i, kPageSize);
    }
    WriteBothTables(pak, table);
    std::uint8_t* target = Entry(pak, slot);
    std::memcpy(target, entry, kNoteEntrySize);
    PutBe16(target + kFirstPage, static_cast<std::uint16_t>(chosen.front()));
    target[kStatus] |= kNoteFlag; // a note without it is one no game accepts
    if (number) *number = slot;
    return EngineResult::Ok;
}

EngineResult DeleteNote(PakData& pak, int number, std::string& message) {
    if (RefuseDamaged(pak, message)) return EngineResult::ErrFailed;
    const PakReport report = InspectPak(pak);
    const PakNote* note = report.Note(number);
    if (!note) {
        message = "note " + std::to_string(number) + " is not in use";
        return EngineResult::ErrFailed;
    }
    std::vector<std::uint8_t> table = PrimaryTable(pak);
    for (int page : note->pages) PutBe16(table.data() + 2 * page, kFreePage);
    WriteBothTables(pak, table);
    std::memset(Entry(pak, number), 0, kNoteEntrySize);
    return EngineResult::Ok;
}

EngineResult RenameNote(PakData& pak, int number, std::string_view name, std::string& message) {
    if (RefuseDamaged(pak, message)) return EngineResult::ErrFailed;
    if (!InspectPak(pak).Note(number)) {
        message = "note " + std::to_string(number) + " is not in use";
        return EngineResult::ErrFailed;
    }
    std::string bad;
    const auto codes = EncodePakText(name, bad);
    if (!codes) {
        message = "a note name cannot hold \"" + bad + "\"";
        return EngineResult::ErrFormat;
    }
    if (codes->empty() || codes->size() > kNameLength) {
        message = "a note name has 1 to 16 characters";
        return EngineResult::ErrFormat;
    }
    std::uint8_t* entry = Entry(pak, number);
    std::memset(entry + kName, 0, kNameLength);
    std::copy(codes->begin(), codes->end(), entry + kName);
    return EngineResult::Ok;
}

} // namespace q64
