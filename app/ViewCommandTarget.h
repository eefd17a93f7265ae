#pragma once
// The main view as the command handlers see it (CommandView): the selected
// file and the re-listing steps.

#include "browser/CommandUi.h"
#include "browser/FileEntry.h"

namespace q64 {

class MainView;

class ViewCommandTarget final : public CommandView {
public:
    explicit ViewCommandTarget(MainView& view) : view_(view) {}

    ViewState State() const override;
    std::string CurrentPath() const override;
    std::string CurrentName() const override;
    std::string CurrentTitle() const override;
    std::string Folder() const override;
    int Filter() const override;
    std::vector<std::string> SelectedPaths() const override;
    void RefreshKeepingSelection() override;
    void UpdateSelection() override;
    void FillList() override;
    void FillListSelecting(const std::string& name) override;
    void ShowFolder(const std::string& folder, TreeFollows tree) override;
    void ShowFile(const std::string& path) override;

private:
    const FileEntry* CurrentEntry() const;

    MainView& view_;
};

} // namespace q64
