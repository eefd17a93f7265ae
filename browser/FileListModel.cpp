#include "browser/FileListModel.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <sys/stat.h>

namespace q64 {

namespace {

// What the panel shows while an image's save type is looked up.
constexpr const char* kSaveTypePending = "...";

// How often the listing gives the front end a chance to stay responsive.
constexpr std::size_t kListingStepEntries = 256;

int CompareNoCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return a.size() == b.size() && CompareNoCase(a, b) == 0; }

bool EndsWithBak(const std::string& path) {
    if (path.size() < 4) return false;
    return EqualsNoCase(path.substr(path.size() - 4), ".bak");
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const std::string& SortKey(const FileEntry& e, int column) {
    static const std::string empty;
    switch (column) {
    case 0: return e.fileName;
    case 1: return e.title;
    case 2: return e.country;
    default: return empty;
    }
}

} // namespace

int CompareNatural(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // A run of digits compares by its value: leading zeros aside, the
            // longer run is the larger number, then digit by digit.
            std::size_t ei = i, ej = j;
            while (ei < a.size() && IsDigit(a[ei])) ++ei;
            while (ej < b.size() && IsDigit(b[ej])) ++ej;
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
            if (const int c = a.compare(si, ei - si, b, sj, ej - sj); c != 0) return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[j]));
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i == a.size() && j == b.size()) return 0;
    return i == a.size() ? -1 : 1;
}

FileListModel::FileListModel(RomImage& image, const Settings& settings) : image_(image), settings_(settings) {}

bool FileListModel::PreviewsOn() const {
    if (settings_.PreviewDir == 0) return false;
    if (settings_.PreviewDir == 1 && settings_.PreviewCD == 0 && onCdRom_) return false;
    return true;
}

std::string FileListModel::PathOf(const std::string& fileName) const {
    if (folder_.empty()) return fileName;
    return folder_.back() == '/' ? folder_ + fileName : folder_ + "/" + fileName;
}

void FileListModel::FillList() {
    listReady_ = false;
    rows_.clear();
    Notify(listener_.rowsReset);

    DIR* dir = ::opendir(folder_.empty() ? "." : folder_.c_str());
    if (!dir) {
        // Nothing could be enumerated: no row, and the panel keeps its values.
        currentRow_ = -1;
        Notify(listener_.selectionChanged);
        return;
    }
    const bool previews = PreviewsOn();
    std::size_t seen = 0;
    bool stopped = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (++seen % kListingStepEntries == 0 && listener_.listingStep && !listener_.listingStep(seen)) {
            stopped = true;
            break;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (name[0] == '.' && settings_.Hidden == 0) continue; // hidden on this platform
        const std::string path = PathOf(name);
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            isDir = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (isDir) continue;

        FileEntry row;
        row.fileName = name;
        if (!previews) {
            row.kind = EntryKind::NotExamined;
            rows_.push_back(std::move(row));
            continue;
        }
        if (image_.Identify(path) == EngineResult::Ok) {
            const FileKind kind = image_.GetKind();
            if (FilterAdmits(filter_, kind, image_.TerritoryCode())) {
                row.kind = EntryKindFor(kind);
                image_.GetTitle(row.title);
                image_.GetCountryName(row.country);
                rows_.push_back(std::move(row));
            }
            image_.Clear();
        } else if (IsTextFileName(name)) {
            if (filter_ == 0 || filter_ == 1) {
                row.kind = EntryKind::Text;
                row.title = "ASCII File";
                rows_.push_back(std::move(row));
            }
        } else if (filter_ == 0) {
            row.kind = EntryKind::Other;
            rows_.push_back(std::move(row));
        }
    }
    ::closedir(dir);
    if (stopped) {
        // Abandoned (the folder changed meanwhile): the rows so far stay, unsorted and unselected.
        currentRow_ = -1;
        Notify(listener_.rowsReset);
        return;
    }

    SortRows();
    currentRow_ = rows_.empty() ? -1 : 0;
    Notify(listener_.rowsReset);
    Notify(listener_.selectionChanged);
    listReady_ = true;
    UpdateSelection();
}

void FileListModel::SetFilterValue(int filter) { filter_ = filter; }

void FileListModel::SetFilter(int filter) {
    filter_ = filter;
    FillList();
    listReady_ = true;
    UpdateSelection();
}

void FileListModel::SortRows() {
    // Rows with equal keys keep file-name order, so a column of many equal
    // values does not scramble the rest; descending reverses the whole order.
    const int column = sortColumn_;
    const bool descending = sortOrder_ == 0;
    std::sort(rows_.begin(), rows_.end(), [column, descending](const FileEntry& a, const FileEntry& b) {
        int c = CompareNatural(SortKey(a, column), SortKey(b, column));
        if (c == 0) c = CompareNatural(a.fileName, b.fileName);
        if (c == 0) c = a.fileName.compare(b.fileName);
        return descending ? c > 0 : c < 0;
    });
}

void FileListModel::Sort() {
    // Keep the selected record selected across the reorder.
    const std::string selected =
        currentRow_ >= 0 && currentRow_ < static_cast<int>(rows_.size()) ? rows_[currentRow_].fileName : std::string();
    const bool hadSelection = !selected.empty();
    SortRows();
    Notify(listener_.rowsReset);
    if (hadSelection) {
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].fileName == selected) currentRow_ = static_cast<int>(i);
        Notify(listener_.selectionChanged);
    }
}

void FileListModel::SortByColumn(int column) {
    // A second click on the same heading reverses the order.
    sortOrder_ = column == sortColumn_ && sortOrder_ == 1 ? 0 : 1;
    sortColumn_ = column;
    Sort();
}

void FileListModel::SelectRow(int row) {
    currentRow_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
    if (listReady_) UpdateSelection();
}

void FileListModel::UpdateSelection() {
    viewerKind_ = 0;
    if (!listReady_) return;
    if (currentRow_ < 0 || currentRow_ >= static_cast<int>(rows_.size())) {
        panel_ = InfoPanelTexts{};
        currentFormat_ = 0;
        currentIsBackup_ = false;
        Notify(listener_.panelChanged);
        return;
    }
    FileEntry& row = rows_[currentRow_];
    currentPath_ = PathOf(row.fileName);
    if (image_.Identify(currentPath_) == EngineResult::Ok) {
        if (!PreviewsOn()) {
            row.kind = EntryKindFor(image_.GetKind());
            image_.GetTitle(row.shownTitle);
            image_.GetCountryName(row.shownCountry);
            row.shownFilled = true;
            if (listener_.rowChanged) listener_.rowChanged(currentRow_);
        }
        panel_ = DescribeLoaded(image_);
        currentFormat_ = ToInt(image_.GetKind());
        if (HasImageBit(image_.GetKind()) && panel_.saveType.empty() && saveTypeFinder_)
            panel_.saveType = saveTypeFinder_(currentPath_).value_or(kSaveTypePending);
        currentIsBackup_ = EndsWithBak(currentPath_);
        viewerKind_ = 2;
        image_.Clear();
    } else if (IsTextFileName(row.fileName)) {
        // A text file has no header: nothing of the previous file stays in
        // the panel or enables the commands that need an image.
        panel_ = InfoPanelTexts{};
        currentFormat_ = 0;
        currentIsBackup_ = false;
        viewerKind_ = 1;
    } else {
        panel_ = InfoPanelTexts{};
        currentFormat_ = 0;
        currentIsBackup_ = false;
        if (row.kind != EntryKind::Other) {
            row.kind = EntryKind::Other;
            if (listener_.rowChanged) listener_.rowChanged(currentRow_);
        }
    }
    Notify(listener_.panelChanged);
}

void FileListModel::RefreshSaveType() {
    if (!listReady_ || !saveTypeFinder_ || panel_.saveType != kSaveTypePending || (currentFormat_ & kImageBit) == 0)
        return;
    const std::optional<std::string> found = saveTypeFinder_(currentPath_);
    if (!found) return;
    panel_.saveType = *found;
    Notify(listener_.panelChanged);
}

int FileListModel::FindRow(const std::string& name) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (EqualsNoCase(rows_[i].fileName, name)) return static_cast<int>(i);
    return -1;
}

void FileListModel::RefreshKeepingSelection() {
    const std::string name =
        currentRow_ >= 0 && currentRow_ < static_cast<int>(rows_.size()) ? rows_[currentRow_].fileName : std::string();
    FillList();
    currentRow_ = name.empty() ? -1 : FindRow(name);
    Notify(listener_.selectionChanged);
    UpdateSelection();
}

} // namespace q64
