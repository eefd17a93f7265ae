// q64 list: the rows the file list would show for a folder.

#include <cstdio>
#include <sys/stat.h>

#include "browser/CdRomCheck.h"
#include "browser/FileListModel.h"
#include "browser/FileEntry.h"
#include "cli/Cli.h"

namespace q64::cli {

namespace {

std::optional<int> SortColumnFrom(const std::string& text) {
    if (text == "0" || text == "filename" || text == "Filename") return 0;
    if (text == "1" || text == "title" || text == "name" || text == "ROM Name") return 1;
    if (text == "2" || text == "country" || text == "Country") return 2;
    return std::nullopt;
}

// Display width of a UTF-8 or Latin-1 text, counting each character once.
std::size_t Width(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

void PrintPadded(const std::string& text, std::size_t width) {
    std::printf("%s%*s", text.c_str(), static_cast<int>(width - Width(text)), "");
}

} // namespace

int RunList(ArgParser& args) {
    const Command& self = CommandNamed("list");
    Settings settings = LoadSettings();
    int filter = settings.ListType;
    int sortColumn = settings.SortCol;
    if (auto f = args.Number("filter")) {
        if (*f < 0 || *f >= kListFilterCount) return UsageError(self, "--filter takes 0 to 9");
        filter = static_cast<int>(*f);
    }
    if (auto s = args.Value("sort")) {
        const auto column = SortColumnFrom(*s);
        if (!column) return UsageError(self, "--sort takes 0/filename, 1/title or 2/country");
        sortColumn = *column;
    }
    if (args.Flag("hidden")) settings.Hidden = 1;
    if (args.Flag("no-preview")) settings.PreviewDir = 0;
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 1) return UsageError(self, "give exactly one DIR");

    struct stat info {};
    if (::stat(rest[0].c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "q64 list: %s is not a folder\n", rest[0].c_str());
        return 1;
    }
    RomImage image;
    FileListModel model(image, settings);
    model.SetFolder(rest[0]);
    model.SetOnCdRom(IsOnCdRom(rest[0]));
    model.SetFilterValue(filter);
    model.SetSortColumn(sortColumn);
    model.FillList();

    const auto& rows = model.Rows();
    std::size_t w0 = Width("Filename"), w1 = Width("ROM Name");
    for (const FileEntry& row : rows) {
        w0 = std::max(w0, Width(row.fileName));
        w1 = std::max(w1, Width(row.DisplayTitle()));
    }
    PrintPadded("Filename", w0 + 2);
    PrintPadded("ROM Name", w1 + 2);
    std::printf("Country\n");
    for (const FileEntry& row : rows) {
        PrintPadded(row.fileName, w0 + 2);
        PrintPadded(row.DisplayTitle(), w1 + 2);
        std::printf("%s\n", row.DisplayCountry().c_str());
    }
    return 0;
}

} // namespace q64::cli
