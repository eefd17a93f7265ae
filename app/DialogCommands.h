#pragma once
// The file side of "Tune BIOS": read the file, show
// the dialog, write what it returns. The dialog itself holds no file.
// The caller lists the folder again afterwards (refreshKeepingSelection).

#include <functional>
#include <string>

#include "engine/EngineTypes.h"

class QDialog;
class QWidget;

namespace q64 {

class RomImage;

// Shows a modal dialog; true when it was accepted. Tests pass their own.
using DialogRunner = std::function<bool(QDialog& dialog)>;
bool ExecDialog(QDialog& dialog);

// Tune BIOS on the BIOS file `path`, with the shared image: identifies the
// file, reads colour and position, shows "Tune BIOS Parameters" and after OK
// writes all four parameters with one backup in `mode` (a kept NAME.bak holds
// the previous parameters). Returns ErrCancelled for Cancel (nothing
// written), the reading or writing failure (already reported through
// `sink`, installed on the image when given; a file that cannot be read
// shows no dialog), or Ok. The image is left cleared.
EngineResult RunTuneBiosCommand(QWidget* parent, RomImage& image, const std::string& path, BackupMode mode,
                                const MessageSink& sink, const DialogRunner& run = ExecDialog);

} // namespace q64
