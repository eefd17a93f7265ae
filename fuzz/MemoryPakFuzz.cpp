// Controller Paks read, checked and repaired. An input of 32768 bytes or more
// is a whole pak; a shorter one is a list of 3-byte changes (a 16-bit offset
// into the five system pages, a value) made to a sound sample pak, so most
// inputs land near a valid pak. Whatever the pak: the listing stays inside
// the note pages, a repair leaves a pak the checker finds sound (and a second
// repair finds nothing), a repair never invents notes, and a note of a sound
// pak goes out and back in unchanged. The input is also imported as a
// ".note" file into a formatted pak.

#include <array>
#include <set>

#include "engine/MemoryPak.h"
#include "engine/SampleFiles.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

namespace {

constexpr std::size_t kSystemBytes = 5 * mempak::kPageSize;

PakData PakFrom(const std::uint8_t* data, std::size_t size) {
    if (size >= mempak::kSize) return PakData(data, data + mempak::kSize);
    static const PakData sample = samples::MakeMemoryPak(3, 2);
    PakData pak = sample;
    for (std::size_t i = 0; i + 3 <= size; i += 3)
        pak[(static_cast<std::size_t>(data[i]) << 8 | data[i + 1]) % kSystemBytes] = data[i + 2];
    return pak;
}

void RequireListingInBounds(const PakReport& report) {
    std::set<int> seen;
    std::size_t used = 0;
    for (const PakNote& note : report.notes) {
        Require(note.number >= 1 && note.number <= mempak::kNoteCount, "note numbers 1..16");
        Require(note.damaged || !note.pages.empty(), "a sound note has pages");
        for (int page : note.pages) {
            Require(page >= mempak::kFirstNotePage && page < mempak::kPageCount, "pages inside 5..127");
            Require(seen.insert(page).second, "no page in two notes");
        }
        used += note.pages.size();
    }
    Require(report.freePages >= 0 && used + static_cast<std::size_t>(report.freePages) <= mempak::kNotePages,
            "used and free pages within 123");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const PakData pak = PakFrom(data, size);
    const PakReport report = InspectPak(pak);
    RequireListingInBounds(report);

    PakData repaired = pak;
    RepairPak(repaired);
    const PakReport after = InspectPak(repaired);
    Require(!after.Damaged(), "a repaired pak is sound");
    Require(RepairPak(repaired).empty(), "a second repair finds nothing");
    RequireListingInBounds(after);
    for (const PakNote& note : after.notes) Require(report.Note(note.number) != nullptr, "a repair invents no note");

    std::string message;
    if (!report.Damaged()) {
        for (const PakNote& note : report.notes) {
            const std::vector<std::uint8_t> file = ExportNote(pak, note.number, 1, message);
            Require(!file.empty(), "a note of a sound pak exports");
            PakData fresh = FormatPak(2);
            int number = 0;
            Require(ImportNote(fresh, file, message, &number) == EngineResult::Ok, "an exported note imports");
            Require(ExportNote(fresh, number, 1, message) == file, "and exports the same again");
        }
    }

    PakData fresh = FormatPak(3);
    if (ImportNote(fresh, std::vector<std::uint8_t>(data, data + size), message) == EngineResult::Ok)
        Require(!InspectPak(fresh).Damaged(), "an imported note leaves the pak sound");
    return 0;
}
