#pragma once
// The command handlers' questions and windows, as the program shows them:
// "Quorvel64" message boxes, the file pickers, the small dialogs, the
// progress window and the status bar's first pane.

#include <QPointer>
#include <QString>
#include <functional>

#include "browser/CommandUi.h"

class QWidget;

namespace q64 {

class QtCommandUi final : public CommandUi {
public:
    // `window` owns every box and dialog; `status` writes the status bar's first pane.
    QtCommandUi(QWidget* window, std::function<void(const QString&)> status);

    void ShowMessage(const std::string& text, PromptIcon icon) override;
    bool AskYesNo(const std::string& text, PromptIcon icon) override;
    MessageSink ErrorSink() override;
    void SetStatus(const std::string& text) override;
    std::unique_ptr<ProgressWindow> OpenProgress(ProgressCaption caption) override;
    bool ShowVerifyResults(const std::vector<VerifyRow>& rows) override;
    bool ManageDx256(Dx256Image& dx, Dx256Host& host) override;
    bool ManageMemoryPak(PakFile& pak, const std::string& name, PakHost& host) override;
    std::optional<SaveConversionChoice> AskSaveConversion(const SaveConversionChoice& preset) override;
    std::optional<std::string> PickOpenFile(const FilePickRequest& request) override;
    std::optional<std::string> PickSaveFile(const FilePickRequest& request) override;
    std::optional<int> AskResizeMbit(std::int64_t currentBytes) override;
    std::optional<int> AskReceiveSizeMbit() override;
    std::optional<SaveType> AskSaveType(SaveType preset, const std::string& reason) override;
    std::optional<SaveType> AskEd64SaveType(SaveType preset, const std::string& why) override;
    std::optional<std::string> AskTitle(const std::string& preset, const std::string& originalField) override;
    std::optional<std::string> AskFilename(const std::string& preset) override;
    bool TuneBios(BiosColour& colour, BiosPosition& position) override;
    void EditProperties(Settings& settings) override;
    // The desktop opener (xdg-open) is watched: when it ends with a failure
    // (an exit status other than 0, as for "no method available") the
    // opener-failure sink says so. Any other viewer is started detached.
    bool StartProgram(const std::string& program, const std::string& argument) override;
    // Where a failed desktop opener is told (the error box by default).
    void SetOpenerFailureSink(MessageSink sink) { openerFailed_ = std::move(sink); }

private:
    QPointer<QWidget> window_;
    std::function<void(const QString&)> status_;
    MessageSink openerFailed_;
};

// A picker filter in the "Text (*.x)|*.x|All Files (*.*)|*.*||" form as Qt
// name filters ("Text (*.x *.X)", "All Files (*)"); each pattern is offered in
// upper and lower case, since the file system tells cases apart.
QStringList QtNameFilters(const std::string& filter);

// What is said when the desktop opener could not open `path` (`said`: what it wrote, if anything).
std::string OpenerFailureText(const std::string& path, const std::string& said);

} // namespace q64
