#include "app/QtCommandUi.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <memory>

#include "app/BiosTuneDialog.h"
#include "app/ConvertSaveDialog.h"
#include "app/Dx256Dialog.h"
#include "app/MemoryPakDialog.h"
#include "app/DialogMessage.h"
#include "app/FilenameDialog.h"
#include "app/OperationCallbacks.h"
#include "app/ProgressDialog.h"
#include "app/PropertiesDialog.h"
#include "app/ReceiveSizeDialog.h"
#include "transfer/Sc64.h"
#include "app/ResizeDialog.h"
#include "app/TitleDialog.h"
#include "app/VerifyResultsDialog.h"
#include "browser/FileCommands.h"

namespace q64 {

namespace {

QString Path(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

QMessageBox::Icon BoxIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::Error: break;
    }
    return QMessageBox::Critical;
}

class QtProgressWindow final : public ProgressWindow {
public:
    QtProgressWindow(int captionId, QWidget* owner) : dialog_(captionId) {
        dialog_.Create(owner);
        dialog_.SetRange(0, 100);
        dialog_.SetStep(1);
    }
    ~QtProgressWindow() override { dialog_.Destroy(); }
    ProgressFn Progress() override { return MakeProgressFn(&dialog_); }
    void SetDetail(const std::string& text) override {
        dialog_.setWindowTitle(ProgressDialog::CaptionText(dialog_.CaptionId()) + QStringLiteral(" - ") +
                               QString::fromStdString(text));
    }

private:
    ProgressDialog dialog_;
};

} // namespace

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString name = parts[i];
        const int open = name.indexOf(QStringLiteral(" ("));
        if (open >= 0) name = name.left(open);
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (pattern == QStringLiteral("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()})
                if (!patterns.contains(variant)) patterns << variant;
        }
        filters << QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QtCommandUi::QtCommandUi(QWidget* window, std::function<void(const QString&)> status)
    : window_(window), status_(std::move(status)) {}

void QtCommandUi::ShowMessage(const std::string& text, PromptIcon icon) {
    QMessageBox box(BoxIcon(icon), kMessageCaption, QString::fromStdString(text), QMessageBox::Ok, window_);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

bool QtCommandUi::AskYesNo(const std::string& text, PromptIcon icon) {
    QMessageBox box(BoxIcon(icon), kMessageCaption, QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                    window_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    return box.exec() == QMessageBox::Yes;
}

MessageSink QtCommandUi::ErrorSink() { return MakeErrorSink(window_); }

void QtCommandUi::SetStatus(const std::string& text) {
    if (status_) status_(QString::fromStdString(text));
}

std::unique_ptr<ProgressWindow> QtCommandUi::OpenProgress(ProgressCaption caption) {
    return std::make_unique<QtProgressWindow>(static_cast<int>(caption), window_);
}

bool QtCommandUi::ShowVerifyResults(const std::vector<VerifyRow>& rows) {
    VerifyResultsDialog dialog(rows, window_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtCommandUi::ManageDx256(Dx256Image& dx, Dx256Host& host) {
    Dx256Dialog dialog(dx, host, QFileInfo(Path(dx.Path())).fileName(), window_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtCommandUi::ManageMemoryPak(PakFile& pak, const std::string& name, PakHost& host) {
    MemoryPakDialog dialog(pak, host, Path(name), window_);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<SaveConversionChoice> QtCommandUi::AskSaveConversion(const SaveConversionChoice& preset) {
    ConvertSaveDialog dialog(preset, window_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

std::optional<std::string> QtCommandUi::PickOpenFile(const FilePickRequest& request) {
    QFileDialog dialog(window_, QString::fromStdString(request.title), Path(request.folder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!request.filter.empty()) dialog.setNameFilters(QtNameFilters(request.filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return PathBytes(dialog.selectedFiles().first());
}

std::optional<std::string> QtCommandUi::PickSaveFile(const FilePickRequest& request) {
    QFileDialog dialog(window_, QString::fromStdString(request.title), Path(request.folder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.filter.empty()) dialog.setNameFilters(QtNameFilters(request.filter));
    if (!request.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.fileName.empty()) dialog.selectFile(Path(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return PathBytes(dialog.selectedFiles().first());
}

std::optional<int> QtCommandUi::AskResizeMbit(std::int64_t currentBytes) {
    ResizeDialog dialog(window_);
    dialog.SetCurrentSize(currentBytes);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.SizeMbit();
}

std::optional<int> QtCommandUi::AskReceiveSizeMbit() {
    ReceiveSizeDialog dialog(window_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.SizeMbit();
}

std::optional<SaveType> QtCommandUi::AskSaveType(SaveType preset, const std::string& reason) {
    QStringList items;
    for (int type = 0; type < kSaveTypeCount; ++type)
        items << QString::fromLatin1(SaveTypeName(static_cast<SaveType>(type)));
    bool ok = false;
    const QString label = QStringLiteral("Save type of this image on the SummerCart64 (%1):")
                              .arg(QString::fromStdString(reason));
    const QString chosen = QInputDialog::getItem(window_, QStringLiteral("Quorvel64"), label, items,
                                                 static_cast<int>(preset), false, &ok);
    if (!ok || items.indexOf(chosen) < 0) return std::nullopt;
    return static_cast<SaveType>(items.indexOf(chosen));
}

std::optional<SaveType> QtCommandUi::AskEd64SaveType(SaveType preset, const std::string& why) {
    QStringList items;
    for (int type = 0; type < kSaveTypeCount; ++type)
        items << QString::fromLatin1(SaveTypeName(static_cast<SaveType>(type)));
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        window_, QStringLiteral("Quorvel64"),
        QStringLiteral("Save type of this image on the EverDrive-64\n(%1):").arg(QString::fromStdString(why)), items,
        static_cast<int>(preset), false, &ok);
    if (!ok) return std::nullopt;
    return static_cast<SaveType>(items.indexOf(chosen));
}

std::optional<std::string> QtCommandUi::AskTitle(const std::string& preset, const std::string& originalField) {
    TitleDialog dialog(window_);
    dialog.SetTitle(QString::fromStdString(preset));
    dialog.SetOriginalField(originalField);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.TitleText();
}

std::optional<std::string> QtCommandUi::AskFilename(const std::string& preset) {
    FilenameDialog dialog(window_);
    dialog.SetFilename(Path(preset));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return PathBytes(dialog.Filename());
}

bool QtCommandUi::TuneBios(BiosColour& colour, BiosPosition& position) {
    BiosTuneDialog dialog(colour, position, window_);
    if (dialog.exec() != QDialog::Accepted) return false;
    colour = dialog.Colour();
    position = dialog.Position();
    return true;
}

void QtCommandUi::EditProperties(Settings& settings) {
    PropertiesDialog dialog(settings, window_);
    dialog.exec();
}

bool QtCommandUi::StartProgram(const std::string& program, const std::string& argument) {
    if (program != kDesktopOpener) return QProcess::startDetached(Path(program), QStringList{Path(argument)});
    // No parent: closing the window neither waits for the opener nor ends it.
    auto* opener = new QProcess;
    opener->setStandardOutputFile(QProcess::nullDevice());
    auto said = std::make_shared<QByteArray>();
    QObject::connect(opener, &QProcess::readyReadStandardError, opener, [opener, said] {
        const QByteArray more = opener->readAllStandardError();
        if (said->size() < 4096) said->append(more.left(4096 - said->size()));
    });
    const MessageSink report = openerFailed_ ? openerFailed_ : ErrorSink();
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, said, report, argument](int exitCode, QProcess::ExitStatus status) {
                         said->append(opener->readAllStandardError());
                         opener->deleteLater();
                         if (status == QProcess::NormalExit && exitCode == 0) return;
                         report(OpenerFailureText(argument, QString::fromLocal8Bit(*said).trimmed().toStdString()));
                     });
    opener->start(Path(program), QStringList{Path(argument)});
    if (opener->waitForStarted(3000)) return true;
    opener->disconnect();
    opener->deleteLater();
    return false;
}

std::string OpenerFailureText(const std::string& path, const std::string& said) {
    std::string text = "The desktop has no program to open\n" + path;
    if (!said.empty()) text += "\n\n" + said;
    return text + "\n\nChoose a viewer in View, Properties.";
}

} // namespace q64
