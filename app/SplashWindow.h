#pragma once
// The start-up picture: a borderless 400x261 window in the middle of the
// screen that the user cannot close (clicks and close requests are ignored)
// until start-up allows it, once the main window is shown.

#include <QSplashScreen>
#include <memory>

namespace q64 {

class SplashWindow : public QSplashScreen {
    Q_OBJECT
public:
    SplashWindow();
    // Lets the next close request through and closes the window.
    void CloseNow();

    // The least time the splash stays up before the main window is built.
    static constexpr int kMinimumMs = 2600;
    // When "Splash" is 1: shows the splash and keeps it painted for
    // kMinimumMs (events go on being handled). Otherwise returns null at once.
    static std::unique_ptr<SplashWindow> ShowForStartup(int splashSetting);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool allowClose_ = false;
};

} // namespace q64
