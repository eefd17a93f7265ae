#include "app/Startup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

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

namespace {

} // namespace

int RunProgram(int argc, char** argv) {
    // Read before the application object, which takes them out of the environment.
    const QByteArray launchToken = LaunchToken();
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fenwold"));
    QApplication::setApplicationName(QStringLiteral("Quorvel64"));
    QApplication::setApplicationVersion(QStringLiteral("2.0.7"));
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
