#include "browser/FileCommands.h"

#include <cctype>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "browser/CommandLoad.h"
#include "browser/DesktopTrash.h"
#include "browser/RomListReport.h"

namespace q64 {

namespace fs = std::filesystem;

bool IsDesktopDefaultViewer(const std::string& program) {
    std::string upper = program;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.empty() || upper == "NOTEPAD.EXE" || upper == "NIEW.EXE";
}

std::string ViewerProgram(const std::string& stored) {
    return IsDesktopDefaultViewer(stored) ? std::string(kDesktopOpener) : stored;
}

std::string RenameRefusal(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return "Please enter a file name.";
    if (name.find('/') != std::string::npos) return "A file name cannot hold \"/\".";
    return {};
}

DeletePlan PlanDelete(const std::string& path) {
    return DeletePlan{path, path.empty() ? std::nullopt : TrashFor(path, TrashUser::Current())};
}

std::string CarryOutDelete(const DeletePlan& plan) {
    if (plan.trash) {
        if (MoveToTrash(plan.path, *plan.trash, std::time(nullptr)) != TrashResult::Moved)
            return "Unable to move it to the trash; it was not deleted.";
        return {};
    }
    std::error_code error;
    if (!fs::remove(fs::path(plan.path), error) || error)
        return "Unable to delete" + (error ? ": " + error.message() : std::string());
    return {};
}

void FileCommands::Delete() {
    const std::string path = env_.view.CurrentPath();
    // The question says where the file goes.
    const DeletePlan plan = PlanDelete(path);
    const std::string question = FormatText(kDeleteQuestionText, path.c_str()) + (plan.trash ? kTrashNote : kForGoodNote);
    if (!path.empty() && env_.ui.AskYesNo(question, PromptIcon::Question)) {
        if (const std::string why = CarryOutDelete(plan); !why.empty())
            env_.ui.ShowMessage(path + "\n" + why, PromptIcon::Error);
    }
    env_.view.FillList();
}

void FileCommands::Rename() {
    const std::string oldName = env_.view.CurrentName();
    if (oldName.empty()) return;
    const std::optional<std::string> entered = env_.ui.AskFilename(oldName);
    if (!entered) return;
    const std::string& newName = *entered;
    const fs::path folder(env_.view.Folder());
    std::string refusal = RenameRefusal(newName);
    std::error_code error;
    if (refusal.empty() && newName != oldName) {
        const fs::path from = folder / oldName;
        const fs::path to = folder / newName;
        // The same file under another case of its name may be renamed; any other file stays.
        const bool taken = fs::exists(fs::symlink_status(to, error)) && !fs::equivalent(from, to, error);
        if (taken)
            refusal = "A file named " + newName + " already exists.";
        else {
            fs::rename(from, to, error);
            if (error) refusal = error.message();
        }
    }
    if (!refusal.empty()) {
        env_.ui.ShowMessage("Unable to rename " + oldName + " to " + newName + "\n" + refusal, PromptIcon::Error);
        env_.view.FillListSelecting(oldName);
        return;
    }
    env_.view.FillListSelecting(newName);
}

void FileCommands::ViewFile() {
    const std::string path = env_.view.CurrentPath();
    const int kind = env_.view.State().viewerKind;
    if (path.empty() || kind == 0) return;
    const std::string program = ViewerProgram(kind == 1 ? env_.settings.DefAView : env_.settings.DefBView);
    if (!env_.ui.StartProgram(program, path))
        env_.ui.ShowMessage("Unable to start the viewer \"" + program + "\"\nfor " + path +
                                "\n\nChoose another one in View, Properties.",
                            PromptIcon::Error);
}

void FileCommands::Properties() {
    const std::string remembered = env_.settings.DefaultDir;
    env_.ui.EditProperties(env_.settings);
    if (env_.settings.DefaultDir != remembered)
        env_.view.ShowFolder(env_.settings.DefaultDir, CommandView::TreeFollows::Yes);
}

void FileCommands::RomList() {
    const std::string folder = env_.view.Folder();
    FilePickRequest request;
    request.folder = folder;
    request.defaultExtension = romlist::kDefaultExtension;
    request.filter = romlist::kSaveFilter;
    const std::optional<std::string> path = env_.ui.PickSaveFile(request);
    if (!path) return;
    const RomListOptions options = RomListOptionsFor(env_.settings, env_.view.Filter(), env_.view.State().onCdRom);
    const RomListOutcome outcome = ProduceRomList(env_.image, folder, options, *path, env_.ui.ErrorSink());
    if (outcome.result == RomListResult::Written) env_.view.FillList();
}

} // namespace q64
