#pragma once
// A CommandUi that answers from a script and records what the handlers
// showed, and a CommandView over a FileListModel in a temporary folder, so
// the command handlers run without a window.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "browser/CommandUi.h"
#include "browser/FileListModel.h"
#include "browser/SaveManagerHosts.h"
#include "engine/Dx256File.h"
#include "engine/MemoryPakFile.h"
#include "engine/PathNames.h"

namespace q64::test {

class ScriptedCommandUi : public CommandUi {
public:
    struct Shown {
        std::string text;
        PromptIcon icon;
        bool question;
    };

    // Answers, used in order; an empty queue cancels.
    std::deque<bool> yesNo;
    std::deque<std::string> files;      // open and save pickers
    std::deque<int> resizeMbit;
    std::deque<int> receiveMbit;
    std::deque<SaveType> saveTypes;
    std::vector<SaveType> saveTypePresets;   // what each save type question was preset with
    std::vector<std::string> saveTypeReasons; // and why
    std::deque<SaveType> ed64SaveTypes;
    std::vector<std::string> ed64SaveTypeQuestions; // each EverDrive question's preset name and reason
    std::deque<std::string> titles;
    std::deque<std::string> filenames;
    std::optional<BiosColour> biosColour;     // TuneBios: set these on OK
    std::optional<BiosPosition> biosPosition;
    std::function<void(Settings&)> properties; // what the Properties dialog changes
    bool programStarts = true;
    int cancelAtPercent = -1;                  // the progress window's Cancel
    std::deque<bool> verifyRename;             // "Rename to DAT Names" pressed in the results
    // The save managers' dialogs (nothing: cancelled without a change) and the conversion question.
    std::function<bool(Dx256Image&, Dx256Host&)> dx256Manager;
    std::function<bool(PakFile&, PakHost&)> pakManager;
    std::deque<SaveConversionChoice> conversions;
    std::vector<SaveConversionChoice> conversionPresets;

    // What happened.
    std::vector<Shown> shown;
    std::vector<std::string> errors;
    std::vector<std::string> statuses;
    std::vector<int> captions;
    std::vector<int> percents;
    int openProgress = 0;
    std::vector<FilePickRequest> pickRequests;
    std::vector<std::string> titlePresets, filenamePresets;
    std::vector<std::pair<BiosColour, BiosPosition>> biosShown;
    std::vector<std::pair<std::string, std::string>> started;
    std::vector<std::vector<VerifyRow>> verifyShown;
    std::vector<std::string> details; // the progress window's "NAME (k of n)"

    void ShowMessage(const std::string& text, PromptIcon icon) override { shown.push_back({text, icon, false}); }
    bool AskYesNo(const std::string& text, PromptIcon icon) override {
        shown.push_back({text, icon, true});
        return Take(yesNo).value_or(false);
    }
    MessageSink ErrorSink() override {
        return [this](const std::string& text) { errors.push_back(text); };
    }
    void SetStatus(const std::string& text) override { statuses.push_back(text); }

    class Window : public ProgressWindow {
    public:
        explicit Window(ScriptedCommandUi& ui) : ui_(ui) { ++ui_.openProgress; }
        ~Window() override { --ui_.openProgress; }
        void SetDetail(const std::string& text) override { ui_.details.push_back(text); }
        ProgressFn Progress() override {
            return [this](int percent) {
                ui_.percents.push_back(percent);
                return ui_.cancelAtPercent >= 0 && percent >= ui_.cancelAtPercent ? kProgressCancelled
                                                                                  : kProgressGoOn;
            };
        }

    private:
        ScriptedCommandUi& ui_;
    };
    std::unique_ptr<ProgressWindow> OpenProgress(ProgressCaption caption) override {
        captions.push_back(static_cast<int>(caption));
        return std::make_unique<Window>(*this);
    }
    std::optional<std::string> PickOpenFile(const FilePickRequest& request) override {
        pickRequests.push_back(request);
        return Take(files);
    }
    std::optional<std::string> PickSaveFile(const FilePickRequest& request) override {
        pickRequests.push_back(request);
        return Take(files);
    }
    std::vector<std::int64_t> resizeShown; // the current size each Re-Size dialog showed
    std::optional<int> AskResizeMbit(std::int64_t currentBytes) override {
        resizeShown.push_back(currentBytes);
        return Take(resizeMbit);
    }
    std::optional<int> AskReceiveSizeMbit() override { return Take(receiveMbit); }
    std::optional<SaveType> AskSaveType(SaveType preset, const std::string& reason) override {
        saveTypePresets.push_back(preset);
        saveTypeReasons.push_back(reason);
        return Take(saveTypes);
    }
    std::optional<SaveType> AskEd64SaveType(SaveType preset, const std::string& why) override {
        ed64SaveTypeQuestions.push_back(std::string(SaveTypeName(preset)) + "; " + why);
        return Take(ed64SaveTypes);
    }
    std::optional<std::string> AskTitle(const std::string& preset, const std::string& /*originalField*/) override {
        titlePresets.push_back(preset);
        return Take(titles);
    }
    std::optional<std::string> AskFilename(const std::string& preset) override {
        filenamePresets.push_back(preset);
        return Take(filenames);
    }
    bool TuneBios(BiosColour& colour, BiosPosition& position) override {
        biosShown.emplace_back(colour, position);
        if (!biosColour || !biosPosition) return false;
        colour = *biosColour;
        position = *biosPosition;
        return true;
    }
    void EditProperties(Settings& settings) override {
        if (properties) properties(settings);
    }
    bool ShowVerifyResults(const std::vector<VerifyRow>& rows) override {
        verifyShown.push_back(rows);
        return Take(verifyRename).value_or(false);
    }
    bool ManageDx256(Dx256Image& dx, Dx256Host& host) override { return dx256Manager && dx256Manager(dx, host); }
    bool ManageMemoryPak(PakFile& pak, const std::string& /*name*/, PakHost& host) override {
        return pakManager && pakManager(pak, host);
    }
    std::optional<SaveConversionChoice> AskSaveConversion(const SaveConversionChoice& preset) override {
        conversionPresets.push_back(preset);
        return Take(conversions);
    }
    bool StartProgram(const std::string& program, const std::string& argument) override {
        started.emplace_back(program, argument);
        return programStarts;
    }

    bool Asked() const { return !shown.empty() && shown.back().question; }

private:
    template <typename T>
    static std::optional<T> Take(std::deque<T>& queue) {
        if (queue.empty()) return std::nullopt;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

// The list of one folder through the real model, counting its re-listings.
class ModelCommandView : public CommandView {
public:
    ModelCommandView(RomImage& image, const Settings& settings, const std::string& folder)
        : model(image, settings) {
        model.SetFolder(folder);
        model.FillList();
    }

    bool Select(const std::string& name) {
        const int row = model.FindRow(name);
        model.SelectRow(row);
        return row >= 0;
    }

    ViewState State() const override {
        ViewState v;
        v.currentFormat = model.CurrentFormat();
        v.currentRow = model.CurrentRow();
        v.currentIsBackup = model.CurrentIsBackup();
        v.onCdRom = model.OnCdRom();
        v.viewerKind = model.ViewerKind();
        return v;
    }
    const FileEntry* Entry() const {
        const int row = model.CurrentRow();
        return row >= 0 && row < static_cast<int>(model.Rows().size()) ? &model.Rows()[row] : nullptr;
    }
    std::string CurrentPath() const override { return Entry() ? model.CurrentPath() : std::string(); }
    std::string CurrentName() const override { return Entry() ? Entry()->fileName : std::string(); }
    std::string CurrentTitle() const override { return Entry() ? Entry()->DisplayTitle() : std::string(); }
    std::string Folder() const override { return model.Folder(); }
    int Filter() const override { return model.Filter(); }
    // A selection of several files (the current file alone when empty).
    std::vector<std::string> selected;
    std::vector<std::string> SelectedPaths() const override {
        return selected.empty() ? CommandView::SelectedPaths() : selected;
    }
    void RefreshKeepingSelection() override {
        ++refreshes;
        model.RefreshKeepingSelection();
    }
    void UpdateSelection() override {
        ++updates;
        model.UpdateSelection();
    }
    void FillList() override {
        ++fills;
        model.FillList();
    }
    void FillListSelecting(const std::string& name) override {
        ++fills;
        model.FillList();
        const int row = model.FindRow(name);
        if (row >= 0) model.SelectRow(row);
    }
    void ShowFolder(const std::string& folder, TreeFollows tree) override {
        ++fills;
        shownFolders.emplace_back(folder, tree);
        model.SetFolder(folder);
        model.FillList();
    }
    void ShowFile(const std::string& path) override {
        ShowFolder(FolderOf(path), TreeFollows::Yes);
        const int row = model.FindRow(NameOf(path));
        if (row >= 0) model.SelectRow(row);
    }
    std::string SelectedName() const { return CurrentName(); }

    FileListModel model;
    int refreshes = 0;
    int updates = 0;
    int fills = 0;
    std::vector<std::pair<std::string, TreeFollows>> shownFolders;
};

} // namespace q64::test
