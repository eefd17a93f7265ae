#include "browser/FileEntry.h"

#include <cctype>

namespace q64 {

EntryKind EntryKindFor(FileKind kind) {
    switch (kind) {
    case FileKind::None: return EntryKind::Other;
    case FileKind::Image: return EntryKind::Image;
    case FileKind::CompressedImage: return EntryKind::CompressedImage;
    case FileKind::Doctor64Bios: return EntryKind::Bios;
    case FileKind::IpsPatch:
    case FileKind::BpsPatch: return EntryKind::IpsPatch; // both patches share the picture
    case FileKind::SavRam: return EntryKind::Sav;
    case FileKind::TaggedSave: return EntryKind::Sav; // a save file, shown and filtered as one
    case FileKind::Dx256: return EntryKind::Dx256;
    case FileKind::MemoryPak: return EntryKind::MemoryPak;
    case FileKind::GameSave: return EntryKind::Sav;
    }
    return EntryKind::Other;
}

bool IsTextFileName(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".txt" || tail == ".diz" || tail == ".nfo" || tail == ".doc";
}

const char* ListFilterText(int filter) {
    static const char* const texts[kListFilterCount] = {
        "All Files",       "Only Known Files", "Only Images",     "Only BIOS Files", "Only USA Images",
        "Only JAP Images", "Only PAL Images",  "Only IPS Files",  "Only SAV Files", "Only Memory Paks",
    };
    return filter >= 0 && filter < kListFilterCount ? texts[filter] : "";
}

bool FilterAdmits(int filter, FileKind kind, std::uint8_t territory) {
    const bool image = kind == FileKind::Image || kind == FileKind::CompressedImage;
    switch (filter) {
    case 0: // All Files
    case 1: // Only Known Files
        return true;
    case 2: return image;
    case 3: return kind == FileKind::Doctor64Bios;
    case 4: return image && territory == 'E';
    case 5: return image && territory == 'J';
    case 6: return image && (territory == 'P' || territory == 'U');
    case 7: return kind == FileKind::IpsPatch || kind == FileKind::BpsPatch;
    case 8:
        return kind == FileKind::SavRam || kind == FileKind::Dx256 || kind == FileKind::TaggedSave ||
               kind == FileKind::MemoryPak || kind == FileKind::GameSave;
    case 9: return kind == FileKind::MemoryPak;
    default: return false;
    }
}

} // namespace q64
