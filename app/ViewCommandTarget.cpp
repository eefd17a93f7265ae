#include "app/ViewCommandTarget.h"

#include <QDir>

#include "browser/qt/MainView.h"
#include "engine/PathNames.h"

namespace q64 {

const FileEntry* ViewCommandTarget::CurrentEntry() const {
    const FileListModel& model = view_.Model();
    const int row = model.CurrentRow();
    if (row < 0 || row >= static_cast<int>(model.Rows().size())) return nullptr;
    return &model.Rows()[static_cast<std::size_t>(row)];
}

ViewState ViewCommandTarget::State() const { return view_.State(); }

std::vector<std::string> ViewCommandTarget::SelectedPaths() const { return view_.SelectedPaths(); }

std::string ViewCommandTarget::CurrentPath() const {
    return CurrentEntry() ? view_.Model().CurrentPath() : std::string();
}

std::string ViewCommandTarget::CurrentName() const {
    const FileEntry* entry = CurrentEntry();
    return entry ? entry->fileName : std::string();
}

std::string ViewCommandTarget::CurrentTitle() const {
    const FileEntry* entry = CurrentEntry();
    return entry ? entry->DisplayTitle() : std::string();
}

std::string ViewCommandTarget::Folder() const { return view_.Folder().toStdString(); }

int ViewCommandTarget::Filter() const { return view_.Model().Filter(); }

void ViewCommandTarget::RefreshKeepingSelection() { view_.Refresh(); }

void ViewCommandTarget::UpdateSelection() { view_.UpdateSelection(); }

void ViewCommandTarget::FillList() { view_.FillList(); }

void ViewCommandTarget::FillListSelecting(const std::string& name) {
    view_.FillListSelecting(QString::fromStdString(name));
}

void ViewCommandTarget::ShowFile(const std::string& path) {
    const QString folder = QString::fromStdString(FolderOf(path));
    const QString name = QString::fromStdString(NameOf(path));
    if (QDir::cleanPath(folder) == view_.Folder()) {
        view_.FillListSelecting(name);
        return;
    }
    view_.ShowFolder(folder, true);
    view_.ShowFile(folder, name);
}

void ViewCommandTarget::ShowFolder(const std::string& folder, TreeFollows tree) {
    view_.ShowFolder(QString::fromStdString(folder), tree == TreeFollows::Yes);
}

} // namespace q64
