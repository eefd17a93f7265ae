#include "app/DialogCommands.h"

#include "app/BiosTuneDialog.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

// Identify does not report; say why the file cannot be tuned.
EngineResult IdentifyBios(RomImage& image, const std::string& path) {
    const EngineResult result = image.Identify(path);
    if (result == EngineResult::ErrOpen) image.Report("Unable to open " + path);
    else if (result != EngineResult::Ok) image.Report(path + " is not a Doctor64 BIOS file");
    return result;
}

} // namespace

bool ExecDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

EngineResult RunTuneBiosCommand(QWidget* parent, RomImage& image, const std::string& path, BackupMode mode,
                                const MessageSink& sink, const DialogRunner& run) {
    if (sink) image.SetMessageSink(sink);
    BiosColour colour;
    BiosPosition position;
    EngineResult result = IdentifyBios(image, path);
    if (result != EngineResult::Ok) return result;
    result = GetBiosColour(image, colour);
    if (result == EngineResult::Ok) result = GetBiosPosition(image, position);
    image.Clear();
    if (result != EngineResult::Ok) return result;

    BiosTuneDialog dialog(colour, position, parent);
    if (!run || !run(dialog)) return EngineResult::ErrCancelled;

    result = IdentifyBios(image, path);
    if (result == EngineResult::Ok) result = SetBiosParameters(image, mode, dialog.Colour(), dialog.Position());
    image.Clear();
    return result;
}

} // namespace q64
