#include "app/ScreenshotTour.h"

#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/AboutDialog.h"
#include "app/BiosTuneDialog.h"
#include "app/ConvertSaveDialog.h"
#include "app/Dx256Dialog.h"
#include "app/MemoryPakDialog.h"
#include "app/DialogMessage.h"
#include "app/FilenameDialog.h"
#include "app/MainFrame.h"
#include "app/PropertiesDialog.h"
#include "app/ReceiveSizeDialog.h"
#include "app/ResizeDialog.h"
#include "app/TitleDialog.h"
#include "browser/CommandLoad.h"
#include "browser/FileCommands.h"
#include "browser/ImageCommands.h"
#include "browser/SaveManagerHosts.h"
#include "browser/qt/MainView.h"
#include "engine/FileChange.h"
#include "engine/SampleFiles.h"

namespace q64 {

namespace {

// Time for the window manager to map, frame and place a window.
constexpr int kSettleMs = 900;

// The save managers over the demo folder's samples, their buttons doing nothing.
struct IdleHosts final : Dx256Host, PakHost {
    std::optional<std::vector<std::uint8_t>> LoadSav() override { return std::nullopt; }
    void SaveSav(const std::string&, const std::vector<std::uint8_t>&) override {}
    bool CanSendSav() const override { return true; }
    bool CanSendDx256() const override { return true; }
    void SendSav(const std::string&, const std::vector<std::uint8_t>&) override {}
    void SendDx256(const std::vector<std::uint8_t>&) override {}
    std::optional<std::vector<std::uint8_t>> LoadNote() override { return std::nullopt; }
    void SaveNote(const std::string&, const std::vector<std::uint8_t>&) override {}
};

QWidget* Dx256Manager(MainFrame& f) {
    static IdleHosts hosts;
    static Dx256Image dx;
    dx.LoadDx256((f.View()->Folder() + QStringLiteral("/Sample Memory.dx2")).toStdString());
    return new Dx256Dialog(dx, hosts, QStringLiteral("Sample Memory.dx2"), &f);
}

QWidget* PakManager(MainFrame& f) {
    static IdleHosts hosts;
    static PakFile pak{samples::MakeMemoryPak(3, 4), {}};
    return new MemoryPakDialog(pak, hosts, QStringLiteral("Sample Paks.mpk"), &f);
}

struct Step {
    const char* name;
    std::function<QWidget*(MainFrame&)> make; // null: the main window alone
};

QWidget* Question(MainFrame& f, const std::string& text) {
    return new QMessageBox(QMessageBox::Question, kMessageCaption, QString::fromStdString(text),
                           QMessageBox::Yes | QMessageBox::No, &f);
}

const std::vector<Step>& Steps() {
    static const std::vector<Step> steps = {
        {"main-window", nullptr},
        {"edit-title",
         [](MainFrame& f) -> QWidget* {
             auto* d = new TitleDialog(&f);
             d->SetTitle(QStringLiteral("SAMPLE QUEST"));
             return d;
         }},
        {"rename", [](MainFrame& f) -> QWidget* { return new FilenameDialog(&f); }},
        {"resize",
         [](MainFrame& f) -> QWidget* {
             auto* d = new ResizeDialog(&f);
             d->SetCurrentSize(8 * 131072);
             return d;
         }},
        {"resize-cut-question",
         [](MainFrame& f) -> QWidget* {
             return Question(f, ResizeCutQuestion("Sample Racer (U).z64", 8 * 131072 + 4096, 4 * 131072));
         }},
        {"receive-size", [](MainFrame& f) -> QWidget* { return new ReceiveSizeDialog(&f); }},
        {"properties", [](MainFrame& f) -> QWidget* { return new PropertiesDialog(f.LiveSettings(), &f); }},
        {"tune-bios", [](MainFrame& f) -> QWidget* { return new BiosTuneDialog(BiosColour{}, BiosPosition{}, &f); }},
        {"about", [](MainFrame& f) -> QWidget* { return new AboutDialog(&f); }},
        {"dx256-manager", Dx256Manager},
        {"memory-pak-manager", PakManager},
        {"convert-save",
         [](MainFrame& f) -> QWidget* {
             return new ConvertSaveDialog(SaveConversionChoice{SaveFormat::Eep4k, SaveFormat::Srm, 1}, &f);
         }},
        {"delete-question",
         [](MainFrame& f) -> QWidget* {
             return Question(f, FormatText(kDeleteQuestionText, "/home/user/roms/Sample Quest (J).v64") + kTrashNote);
         }},
        {"delete-several-question",
         [](MainFrame& f) -> QWidget* {
             return Question(f, std::string("About to delete 2 files:\n  Sample Quest (J).v64\n  Sample Racer (U).z64"
                                            "\n\nAre you Sure ?") +
                                    kSeveralToTrashNote);
         }},
    };
    return steps;
}

// The whole screen as the user sees it; the window alone where the platform cannot grab the screen.
QPixmap GrabScreen(MainFrame& frame) {
    if (QScreen* screen = frame.screen()) {
        const QPixmap all = screen->grabWindow(0);
        if (!all.isNull()) return all;
    }
    return frame.grab();
}

} // namespace

bool SavePicture(const QPixmap& picture, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) return false;
    std::string message;
    return WriteWholeFile(path.toStdString(), std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                          ExistingFile::Replace, message) == EngineResult::Ok;
}

namespace {

struct Tour {
    MainFrame& frame;
    QDir folder;
    std::function<void(int)> done;
    std::size_t step = 0;
    int written = 0;
    QWidget* shown = nullptr;

    void Next() {
        if (step >= Steps().size()) {
            done(written);
            delete this;
            return;
        }
        const Step& s = Steps()[step];
        shown = s.make ? s.make(frame) : nullptr;
        if (shown) {
            shown->setAttribute(Qt::WA_DeleteOnClose);
            shown->show();
        }
        QTimer::singleShot(kSettleMs, &frame, [this] { Take(); });
    }

    void Take() {
        const Step& s = Steps()[step];
        const QString name = QStringLiteral("%1-%2.png").arg(step + 1, 2, 10, QLatin1Char('0')).arg(QLatin1String(s.name));
        if (SavePicture(GrabScreen(frame), folder.filePath(name))) ++written;
        if (shown) shown->close();
        shown = nullptr;
        ++step;
        QTimer::singleShot(100, &frame, [this] { Next(); });
    }
};

} // namespace

QStringList ScreenshotTourNames() {
    QStringList names;
    for (const Step& s : Steps()) names << QLatin1String(s.name);
    return names;
}

void StartScreenshotTour(MainFrame& frame, const QString& folder, std::function<void(int)> done) {
    QDir().mkpath(folder);
    auto* tour = new Tour{frame, QDir(folder), std::move(done)};
    QTimer::singleShot(kSettleMs, &frame, [tour] { tour->Next(); });
}

} // namespace q64
