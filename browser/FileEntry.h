#pragma once
// One row of the file list, its row kind and the list filters.

#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

// Row kind; also the index of the row's picture (eleven pictures, in this order).
enum class EntryKind : int {
    NotExamined = 0,     // previews are off for this folder
    Other = 1,           // not recognised, not a text file
    Image = 2,
    Bios = 3,
    IpsPatch = 4,
    Sav = 5,             // SAV RAM files and tagged saves
    Folder = 6,          // never produced: folders are shown in the tree only
    CompressedImage = 7,
    Text = 8,            // ".txt", ".diz", ".nfo", ".doc"
    Dx256 = 9,
    MemoryPak = 10,      // a Controller Pak
};
constexpr int kEntryKindCount = 11;

// The row kind a recognised file gets.
EntryKind EntryKindFor(FileKind kind);

// True when the name's last four characters are ".txt", ".diz", ".nfo" or ".doc" (case ignored).
bool IsTextFileName(const std::string& name);

struct FileEntry {
    std::string fileName;      // column 0
    std::string title;         // column 1; empty when not read
    std::string country;       // column 2; empty when not read
    EntryKind kind = EntryKind::NotExamined;
    // What the row shows once a not-examined row was selected and identified;
    // the record's own title and country stay empty (sorting reads those).
    std::string shownTitle;
    std::string shownCountry;
    bool shownFilled = false;

    const std::string& DisplayTitle() const { return shownFilled ? shownTitle : title; }
    const std::string& DisplayCountry() const { return shownFilled ? shownCountry : country; }
};

// The filter combo's index, persisted as "ListType".
enum class ListFilter : int {
    AllFiles = 0,
    KnownFiles = 1,
    Images = 2,
    BiosFiles = 3,
    UsaImages = 4,
    JapImages = 5,
    PalImages = 6,
    IpsFiles = 7,
    SavFiles = 8,
    MemoryPaks = 9,
};
constexpr int kListFilterCount = 10;

// The combo's texts, index 0..9 ("All Files" ... "Only Memory Paks").
const char* ListFilterText(int filter);

// Whether `filter` (any integer; unknown values admit nothing) admits a
// recognised file of `kind` whose territory byte is `territory`.
bool FilterAdmits(int filter, FileKind kind, std::uint8_t territory);

} // namespace q64
