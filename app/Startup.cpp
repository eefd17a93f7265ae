#include "app/Startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "app/MainFrame.h"
#include "app/OsKindProbe.h"
#include "app/ScreenshotTour.h"
#include "settings/SettingsStore.h"
#include "app/SingleInstance.h"
#include "app/SplashWindow.h"
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
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fenwold"));
    QApplication::setApplicationName(QStringLiteral("Quorvel64"));
    QApplication::setApplicationVersion(QStringLiteral("2.0.7"));
    QApplication::setWindowIcon(pictures::ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel64"));

    // "quorvel64 FILE" shows FILE's folder with FILE selected; a second start passes it on.
    const QString file = FileArgument(QApplication::arguments());
    SingleInstance instance;
    if (!instance.TryBecomeFirst()) {
        instance.AskFirstToRaise(1000, file);
        return 0;
    }

    SettingsStore store;
    std::unique_ptr<SplashWindow> splash = SplashWindow::ShowForStartup(store.ReadSplash());

    MainFrame frame(store);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &frame, &MainFrame::BringToFront);
    QObject::connect(&instance, &SingleInstance::openRequested, &frame, &MainFrame::ShowFile);
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
