#include "browser/RomListReport.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

#include "browser/FileEntry.h"
#include "engine/FileChange.h"
#include "engine/RomImage.h"
#include "engine/TitleText.h"

namespace q64 {

namespace {

// printf into a string of any length.
[[gnu::format(printf, 1, 2)]] std::string Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out;
    if (length > 0) {
        out.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(out.data(), out.size(), format, again);
        out.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    return out;
}

// The file is written in text mode: every line feed becomes CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Keeps the text after "Mbit" in one column for sizes up to three digits.
const char* SizePadding(float sizeMbit) {
    if (sizeMbit < 10.0f) return "  ";
    if (sizeMbit < 100.0f) return " ";
    return "";
}

std::string PathIn(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

RomListEntry RomListEntryFor(const RomImage& image, const std::string& fileName) {
    RomListEntry entry;
    image.GetTitle(entry.title);
    entry.sizeMbit = image.GetSizeMbit();
    entry.byteOrder = image.IsLoaded() ? image.ByteOrder() : ImageFormat::ByteSwapped;
    entry.fileName = fileName;
    image.GetCartId(entry.cartId);
    entry.compressed = image.IsCompressed() == 1;
    image.GetCountryName(entry.country);
    return entry;
}

std::string FormatRomListEntry(const RomListEntry& e) {
    // A little-endian image ticks neither column: the copiers take neither order as stored.
    const bool doctor = e.byteOrder == ImageFormat::ByteSwapped;
    const bool bigEndian = e.byteOrder == ImageFormat::BigEndian;
    // The title is padded to 20 characters, not bytes: a katakana title lines up with the others.
    std::string title = e.title;
    const std::size_t shown = CountCharacters(title);
    if (shown < 20) title.append(20 - shown, ' ');
    std::string text;
    text += Printf("\nRom Title:%s     Size   :%3.1f Mbit%s           Doctor[%c]", title.c_str(),
                   static_cast<double>(e.sizeMbit), SizePadding(e.sizeMbit), doctor ? '*' : ' ');
    text += Printf("\nFileName :%-20s     Cart ID:%2s                   SP64  [%c]", e.fileName.c_str(),
                   e.cartId.c_str(), bigEndian ? '*' : ' ');
    text += Printf("\nZ64 Compressed:%-3s                 Origin :%s\n", e.compressed ? "Yes" : "No",
                   e.country.c_str());
    text += std::string(romlist::kRuleLength, '-');
    text += '\n';
    return WithCrLf(text);
}

RomListOptions RomListOptionsFor(const Settings& settings, int filter, bool onCdRom) {
    RomListOptions options;
    options.filter = filter;
    options.hidden = settings.Hidden != 0;
    options.previews = !(settings.PreviewDir == 0 || (settings.PreviewDir == 1 && settings.PreviewCD == 0 && onCdRom));
    return options;
}

RomListText BuildRomList(RomImage& image, const std::string& folder, const RomListOptions& options,
                         const std::string& exclude) {
    RomListText out;
    const std::string where = folder.empty() ? "." : folder;
    DIR* dir = ::opendir(where.c_str());
    if (!dir) {
        out.error = where + ": " + std::strerror(errno);
        return out;
    }
    out.folderRead = true;

    struct stat excluded {};
    const bool haveExcluded = !exclude.empty() && ::stat(exclude.c_str(), &excluded) == 0;
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        if (name[0] == '.' && !options.hidden) continue; // hidden on this platform
        if (!options.previews) continue;
        const std::string path = PathIn(folder, name);
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
        if (haveExcluded && info.st_dev == excluded.st_dev && info.st_ino == excluded.st_ino) continue;

        if (image.Identify(path) != EngineResult::Ok) continue;
        if (FilterAdmits(options.filter, image.GetKind(), image.TerritoryCode())) {
            out.bytes += FormatRomListEntry(RomListEntryFor(image, name));
            ++out.entries;
        }
        image.Clear();
    }
    ::closedir(dir);
    return out;
}

RomListOutcome ProduceRomList(RomImage& image, const std::string& folder, const RomListOptions& options,
                              const std::string& outPath, const MessageSink& sink) {
    RomListOutcome outcome;
    const RomListText text = BuildRomList(image, folder, options, outPath);
    if (!text.folderRead) {
        outcome.result = RomListResult::ErrFolder;
        outcome.message = "Unable to Read Folder " + text.error;
    } else {
        std::string error;
        if (WriteWholeFile(outPath, text.bytes, ExistingFile::Replace, error) == EngineResult::Ok) {
            outcome.entries = text.entries;
            return outcome;
        }
        outcome.result = RomListResult::ErrWrite;
        outcome.message = "Unable to Write ROM List " + outPath + ": " + error;
    }
    if (sink) sink(outcome.message);
    return outcome;
}

} // namespace q64
