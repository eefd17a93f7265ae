#include "app/RomListCommand.h"

#include <QFileDialog>
#include <QMessageBox>

#include "browser/FileListModel.h"
#include "browser/RomListReport.h"

namespace q64 {

std::optional<QString> AskRomListName(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(folder);
    dialog.setNameFilter(QString::fromLatin1(romlist::kQtSaveFilter));
    dialog.setDefaultSuffix(QString::fromLatin1(romlist::kDefaultExtension));
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

MessageSink MessageBoxSink(QWidget* parent) {
    return [parent](const std::string& text) {
        QMessageBox::critical(parent, QStringLiteral("Quorvel64"), QString::fromStdString(text));
    };
}

void RunRomListCommand(QWidget* parent, RomImage& image, const Settings& settings, FileListModel& model,
                       const RomListNameAsker& ask, const MessageSink& sink) {
    const QString folder = QString::fromStdString(model.Folder());
    const std::optional<QString> name = ask ? ask(parent, folder) : std::nullopt;
    if (!name || name->isEmpty()) return;
    const RomListOptions options = RomListOptionsFor(settings, model.Filter(), model.OnCdRom());
    const RomListOutcome outcome =
        ProduceRomList(image, model.Folder(), options, name->toStdString(), sink ? sink : MessageBoxSink(parent));
    if (outcome.result == RomListResult::Written) model.FillList();
}

} // namespace q64
