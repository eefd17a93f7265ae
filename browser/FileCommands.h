#pragma once
// The commands on the selected file as a file: Delete, Rename and View File;
// Produce a ROM List for the listed folder; and the settings command
// Properties, which may move the list to a new default folder.

#include <optional>

#include "browser/CommandUi.h"
#include "browser/DesktopTrash.h"

namespace q64 {

inline constexpr const char* kDeleteQuestionText = "About to delete %s\n\nAre you Sure ?";
// Follows the question: where the file goes (the desktop's trash, or nowhere).
inline constexpr const char* kTrashNote = "\n\nThe file goes to the trash, from where it can be restored.";
inline constexpr const char* kForGoodNote = "\n\nThis volume has no trash: the file is deleted for good.";
inline constexpr const char* kSeveralToTrashNote = "\n\nThe files go to the trash, from where they can be restored.";
inline constexpr const char* kSeveralForGoodNote = "\n\nThis volume has no trash: the files are deleted for good.";
inline constexpr const char* kSomeToTrashNote =
    "\n\nThe files go to the trash where their volume has one; the others are deleted for good.";

// Where Delete sends a file: the desktop's trash of its volume, or, on a
// volume without one, nowhere (deleted for good). The one path of every
// delete, for one file and for many.
struct DeletePlan {
    std::string path;
    std::optional<TrashPlace> trash;
};
DeletePlan PlanDelete(const std::string& path);
// Deletes as planned: empty when done, otherwise why not (the file stays).
std::string CarryOutDelete(const DeletePlan& plan);

class FileCommands {
public:
    explicit FileCommands(CommandEnv env) : env_(env) {}

    // Asks, deletes on Yes (into the desktop's trash where the volume has
    // one), and in both cases lists the folder with the first row selected.
    void Delete();
    // Asks for the new name and renames within the listed folder; the renamed
    // row is selected. An existing file of that name is never replaced.
    void Rename();
    // Starts the text ("DefAView") or binary ("DefBView") viewer on the file;
    // a viewer left at its default opens it with the desktop's default application.
    void ViewFile();
    // The Properties dialog; a changed "DefaultDir" becomes the working folder.
    void Properties();
    // Asks for the report's name and writes the ROM list of the listed folder
    // with the list's filter and preview settings; a written report is
    // followed by a new listing.
    void RomList();

private:
    CommandEnv env_;
};

// Opens a file with the desktop's default application for its type.
inline constexpr const char* kDesktopOpener = "xdg-open";

// True for an empty viewer setting and for the defaults "NOTEPAD.EXE" and
// "NIEW.EXE" (any letter case), which name no program here.
bool IsDesktopDefaultViewer(const std::string& program);
// The program View File starts for the stored viewer: the stored one as it
// is, or the desktop opener in place of a default.
std::string ViewerProgram(const std::string& stored);

// Why `name` cannot be the new name of a file (empty when it can): empty,
// "." or "..", or holding a folder separator.
std::string RenameRefusal(const std::string& name);

} // namespace q64
