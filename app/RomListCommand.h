#pragma once
// "Produce a &ROM List" as the window runs it: ask for the report's name in a
// save dialog opened on the listed folder, write the report of that folder
// with the list's filter and preview settings, show a failure in a message
// box, and list the folder again. The report itself is browser/RomListReport.

#include <QString>
#include <functional>
#include <optional>

#include "settings/Settings.h"
#include "engine/EngineTypes.h"

class QWidget;

namespace q64 {

class FileListModel;
class RomImage;

// Asks where the report goes; empty when the user cancels.
using RomListNameAsker = std::function<std::optional<QString>(QWidget* parent, const QString& folder)>;

// The save dialog: opened in `folder` with an empty name, "Text Files
// (*.txt)" and "All Files (*.*)", ".TXT" added to a name typed without an
// extension, and a prompt before an existing file is replaced.
std::optional<QString> AskRomListName(QWidget* parent, const QString& folder);

// A message box captioned "Quorvel64" with an error icon.
MessageSink MessageBoxSink(QWidget* parent);

// Runs the command on the model's folder. Cancel writes nothing; a written
// report is followed by a new listing (FillList, which updates the selection);
// a failure is shown through `sink` and nothing is changed.
void RunRomListCommand(QWidget* parent, RomImage& image, const Settings& settings, FileListModel& model,
                       const RomListNameAsker& ask = AskRomListName, const MessageSink& sink = {});

} // namespace q64
