#include "app/SplashWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include "resources/Pictures.h"

namespace q64 {

SplashWindow::SplashWindow() : QSplashScreen(pictures::SplashPicture()) {
    setCursor(Qt::ArrowCursor);
    setObjectName(QStringLiteral("Splash"));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void SplashWindow::CloseNow() {
    allowClose_ = true;
    close();
}

void SplashWindow::mousePressEvent(QMouseEvent* event) { event->accept(); }

void SplashWindow::closeEvent(QCloseEvent* event) {
    if (allowClose_)
        event->accept();
    else
        event->ignore();
}

std::unique_ptr<SplashWindow> SplashWindow::ShowForStartup(int splashSetting) {
    if (splashSetting != 1) return nullptr;
    auto splash = std::make_unique<SplashWindow>();
    splash->show();
    splash->raise();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < kMinimumMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return splash;
}

} // namespace q64
