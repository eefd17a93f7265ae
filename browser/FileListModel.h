#pragma once
// The file list of the selected folder, apart from any widget: listing with
// identification and filters, sorting, selection, and the state every command
// reads (currentPath, currentFormat, currentRow, currentIsBackup, viewerKind)
// with the information panel's texts. A widget only displays these records.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "browser/FileEntry.h"
#include "browser/InfoPanel.h"
#include "engine/RomImage.h"

namespace q64 {

// Compares two texts as file managers order names: case-insensitive, with
// runs of digits by their value ("file2" before "file10"). <0, 0 or >0.
int CompareNatural(const std::string& a, const std::string& b);

class FileListModel {
public:
    // Uses the program's single RomImage and its live settings ("Hidden",
    // "PreviewDir", "PreviewCD", "ListType", "SortCol").
    FileListModel(RomImage& image, const Settings& settings);

    // What the rows and the panel are shown through; any may be left empty.
    struct Listener {
        std::function<void()> rowsReset;            // rows replaced or reordered
        std::function<void(int row)> rowChanged;    // one row's kind or shown texts changed
        std::function<void()> selectionChanged;     // currentRow set by the model
        std::function<void()> panelChanged;         // panel texts / current state changed
        // Called every few hundred entries while listing; return false to stop early.
        std::function<bool(std::size_t entriesSeen)> listingStep;
    };
    void SetListener(Listener listener) { listener_ = std::move(listener); }

    // The folder the tree has selected (the listing's working folder).
    void SetFolder(const std::string& folder) { folder_ = folder; }
    const std::string& Folder() const { return folder_; }
    // The default folder lies on a CD-ROM volume (decided once at start).
    void SetOnCdRom(bool onCdRom) { onCdRom_ = onCdRom; }
    bool OnCdRom() const { return onCdRom_; }

    // Lists the folder: hidden files, previews, identification, the filter,
    // text files; sorts; selects row 0; updates the selection.
    void FillList();
    // Filter combo change: sets the filter ("ListType"), lists, updates.
    void SetFilter(int filter);
    // Sets the filter without listing (start-up, before the first listing).
    void SetFilterValue(int filter);
    int Filter() const { return filter_; }
    // Column header click: sorts by column c, ascending (sort order 1); a
    // click on the column already sorted by reverses the order (0: descending).
    void SortByColumn(int column);
    void SetSortColumn(int column) { sortColumn_ = column; }
    // Sorts the rows by the sort column in the sort order, names naturally
    // (case-insensitive, "file2" before "file10"); the selected record stays
    // selected.
    int SortColumn() const { return sortColumn_; }
    int SortOrder() const { return sortOrder_; }
    void Sort();

    // Row selection change from the widget (-1: none).
    void SelectRow(int row);
    void UpdateSelection();
    // Lists again and reselects the row with the current row's name.
    void RefreshKeepingSelection();
    // First row whose name equals `name` (case-insensitive), or -1.
    int FindRow(const std::string& name) const;

    const std::vector<FileEntry>& Rows() const { return rows_; }
    const std::string& CurrentPath() const { return currentPath_; }
    int CurrentFormat() const { return currentFormat_; }
    int CurrentRow() const { return currentRow_; }
    bool CurrentIsBackup() const { return currentIsBackup_; }
    int ViewerKind() const { return viewerKind_; }
    bool ListReady() const { return listReady_; }
    const InfoPanelTexts& Panel() const { return panel_; }

    // Where the panel finds the save type of an image whose header names none
    // (SaveTypeLookup::Find): the answer, or nothing while it is looked up
    // (the panel then shows "..."). None by default: such an image shows no save type.
    using SaveTypeFinder = std::function<std::optional<std::string>(const std::string& path)>;
    void SetSaveTypeFinder(SaveTypeFinder finder) { saveTypeFinder_ = std::move(finder); }
    // Asks the finder again for the selected image still waiting for its save
    // type, and shows the answer when there is one.
    void RefreshSaveType();

    bool ListHasFocus() const { return listHasFocus_; }
    void SetListHasFocus(bool focus) { listHasFocus_ = focus; }

private:
    bool PreviewsOn() const;
    std::string PathOf(const std::string& fileName) const;
    void SortRows();
    void Notify(const std::function<void()>& fn) const {
        if (fn) fn();
    }

    RomImage& image_;
    const Settings& settings_;
    Listener listener_;
    std::string folder_;
    std::vector<FileEntry> rows_;
    int filter_ = 0;
    int sortColumn_ = 0;
    int sortOrder_ = 1;
    std::string currentPath_;
    int currentFormat_ = 0;
    int currentRow_ = -1;
    bool currentIsBackup_ = false;
    int viewerKind_ = 0;
    bool listReady_ = false;
    bool onCdRom_ = false;
    bool listHasFocus_ = true;
    InfoPanelTexts panel_;
    SaveTypeFinder saveTypeFinder_;
};

} // namespace q64
