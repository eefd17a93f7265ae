#include "app/Startup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/MainFrame.h"
#include "app/OsKindProbe.h"
#include "app/ScreenshotTour.h"
#include "settings/SettingsStore.h"
#include "app/SingleInstance.h"
#include "app/SplashWindow.h"
#include "app/StartupNotice.h"
#include "browser/DriveList.h"
#include "resources/Pictures.h"

namespace q64 {

namespace {

// The value after `option`, empty when it is not given.
QString OptionValue(const QStringList& arguments, const QString& option) {
    const int at = arguments.indexOf(option);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
}

} // namespace

QString FileArgument(const QStringList& arguments) {
    // arguments[0] is the program; "--screenshot PNG" is the picture option.
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--screenshot") || a == QLatin1String("--screenshots")) {
            ++i;
            continue;
        }
        if (a == QLatin1String("--")) return i + 1 < arguments.size() ? QFileInfo(arguments[i + 1]).absoluteFilePath() : QString();
        if (a.startsWith(QLatin1Char('-'))) continue;
        return QFileInfo(a).absoluteFilePath();
    }
    return {};
}

std::optional<int> AnswerWithoutWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--") break;
        if (a == "--version") {
            std::printf("quorvel64 (Quorvel64) %s\n", Q64_VERSION);
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::printf("usage: quorvel64 [OPTIONS] [FILE]\n"
                        "Shows folders of Nintendo 64 cartridge images and save files and runs the\n"
                        "copier commands on them (q64 is the command-line twin).\n\n"
                        "  FILE                 open the window on FILE's folder with FILE selected;\n"
                        "                       a running window shows FILE instead\n"
                        "  --screenshot PNG     save a picture of the window once shown, then close\n"
                        "  --screenshots DIR    save pictures of the window and each dialog, then close\n"
                        "  --version            print the version and end\n"
                        "  --help               print this text and end\n"
                        "Qt's own options (-platform NAME, -style NAME, ...) are understood too.\n");
            return 0;
        }
    }
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    bool platformGiven = set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
    // Qt takes its options with one dash or two.
    for (int i = 1; i < argc && !platformGiven; ++i)
        platformGiven = std::string_view(argv[i]) == "-platform" || std::string_view(argv[i]) == "--platform";
    if (!platformGiven) {
        std::fprintf(stderr, "quorvel64: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set;\n"
                             "\"-platform offscreen\" draws the window without one)\n");
        return 1;
    }
    return std::nullopt;
}

int RunProgram(int argc, char** argv) {
    if (const std::optional<int> answered = AnswerWithoutWindow(argc, argv)) return *answered;
    // Read before the application object, which takes them out of the environment.
    const QByteArray launchToken = LaunchToken();
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fenwold"));
    QApplication::setApplicationName(QStringLiteral("Quorvel64"));
    QApplication::setApplicationVersion(QStringLiteral(Q64_VERSION));
    QApplication::setWindowIcon(pictures::ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel64"));

    // "quorvel64 FILE" shows FILE's folder with FILE selected; a second start passes it on.
    const QString file = FileArgument(QApplication::arguments());
    SingleInstance instance;
    // A missing file is said on the terminal here, and in the window that shows it.
    if (!file.isEmpty() && !QFileInfo::exists(file))
        std::fprintf(stderr, "quorvel64: %s: No such file\n", QFile::encodeName(file).constData());
    if (!instance.TryBecomeFirst()) {
        instance.AskFirstToRaise(1000, file, launchToken);
        // This start shows no window: its launch ends here.
        EndStartupNotification(startupId);
        return 0;
    }

    SettingsStore store;
    std::unique_ptr<SplashWindow> splash = SplashWindow::ShowForStartup(store.ReadSplash());

    MainFrame frame(store);
    // Queued: what they show (a message box) must not run inside the socket's handler.
    QObject::connect(&instance, &SingleInstance::raiseRequested, &frame, &MainFrame::BringToFrontWith,
                     Qt::QueuedConnection);
    QObject::connect(&instance, &SingleInstance::openRequested, &frame, &MainFrame::ShowFile, Qt::QueuedConnection);
    frame.Start(ListVolumes());
    if (!file.isEmpty()) frame.ShowFile(file);
    frame.SetOsKind(DetectOsKind());
    frame.ShowAtStoredPlace();
    frame.repaint();
    if (splash) splash->CloseNow();
    frame.raise();
    frame.activateWindow();

    const QString screenshot = OptionValue(QApplication::arguments(), QStringLiteral("--screenshot"));
    const QString tour = OptionValue(QApplication::arguments(), QStringLiteral("--screenshots"));
    if (!tour.isEmpty()) {
        StartScreenshotTour(frame, tour, [&frame](int written) {
            std::printf("%d pictures written\n", written);
            frame.close();
        });
    } else if (!screenshot.isEmpty()) {
        QTimer::singleShot(1500, &frame, [&frame, screenshot] {
            SavePicture(frame.grab(), screenshot);
            frame.close();
        });
    }
    return QApplication::exec();
}

} // namespace q64
