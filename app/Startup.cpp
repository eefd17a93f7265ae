#include "app/Startup.h"

#include <QApplication>
#include <QTimer>

#include "app/MainFrame.h"
#include "app/OsKindProbe.h"
#include "app/SettingsStore.h"
#include "app/SingleInstance.h"
#include "app/SplashWindow.h"
#include "browser/DriveList.h"
#include "resources/Pictures.h"

namespace q64 {

namespace {

QString ScreenshotFile(const QStringList& arguments) {
    const int at = arguments.indexOf(QStringLiteral("--screenshot"));
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
}

} // namespace

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fenwold"));
    QApplication::setApplicationName(QStringLiteral("Quorvel64"));
    QApplication::setApplicationVersion(QStringLiteral("2.0.7"));
    QApplication::setWindowIcon(pictures::ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel64"));

    SingleInstance instance;
    if (!instance.TryBecomeFirst()) {
        instance.AskFirstToRaise();
        return 0;
    }

    SettingsStore store;
    std::unique_ptr<SplashWindow> splash = SplashWindow::ShowForStartup(store.ReadSplash());

    MainFrame frame(store);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &frame, &MainFrame::BringToFront);
    frame.Start(ListVolumes());
    frame.SetOsKind(DetectOsKind());
    frame.ShowAtStoredPlace();
    frame.repaint();
    if (splash) splash->CloseNow();
    frame.raise();
    frame.activateWindow();

    const QString screenshot = ScreenshotFile(QApplication::arguments());
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(1500, &frame, [&frame, screenshot] {
            frame.grab().save(screenshot, "PNG");
            frame.close();
        });
    }
    return QApplication::exec();
}

} // namespace q64
