// Start-up: one instance per user (a second start raises the first window and
// ends), the splash picture honouring "Splash", and the about box's credits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "app/AboutDialog.h"
#include "app/CreditsScroller.h"
#include "app/SingleInstance.h"
#include "app/SplashWindow.h"
#include "resources/Pictures.h"
#include "tests/app/FrameFixture.h"

namespace q64::test {
namespace {

TEST(SingleInstance, SecondStartAsksTheFirstToRaise) {
    TempDir runtime;
    const QString folder = QString::fromStdString(runtime.Path());
    auto first = std::make_unique<SingleInstance>(folder);
    ASSERT_TRUE(first->TryBecomeFirst());
    QSignalSpy raised(first.get(), &SingleInstance::raiseRequested);

    SingleInstance second(folder);
    EXPECT_FALSE(second.TryBecomeFirst());
    EXPECT_TRUE(second.AskFirstToRaise());
    EXPECT_TRUE(raised.wait(3000));

    // Once the first has ended, the next start is a first instance again.
    first.reset();
    SingleInstance third(folder);
    EXPECT_TRUE(third.TryBecomeFirst());
}

TEST(SingleInstance, NobodyListeningRaisesNothing) {
    TempDir runtime;
    SingleInstance lonely(QString::fromStdString(runtime.Path()));
    EXPECT_FALSE(lonely.AskFirstToRaise(200));
}

TEST_F(FrameFixture, RaiseRestoresAMinimisedWindow) {
    MainFrame& f = Open();
    f.BringToFront(); // not shown yet: nothing happens
    EXPECT_FALSE(f.isVisible());
    f.showMinimized();
    QTest::qWait(20);
    f.BringToFront();
    QTest::qWait(20);
    EXPECT_FALSE(f.isMinimized());
    EXPECT_TRUE(f.isVisible());
    // An open dialog comes along in front of the window.
    QDialog dialog(&f);
    dialog.setModal(true);
    dialog.show();
    QApplication::setActiveWindow(&f);
    f.BringToFront();
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &dialog);
}

// The real program, twice: the second start ends at once with no window,
// while the first goes on and later closes through its window.
TEST(ProgramInstances, SecondProgramEndsAndTheFirstRuns) {
    TempDir config, runtime, demo;
    ASSERT_FALSE(samples::WriteSampleSet(demo.Path()).empty());
    std::filesystem::create_directories(config.File("Fenwold"));
    {
        QFile ini(QString::fromStdString(config.File("Fenwold/Quorvel64.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Initialization]\nSplash=0\nDefaultDir=" + QByteArray::fromStdString(demo.Path()) + "\n");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config.Path()));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.Path()));
    const QString shot = QString::fromStdString(demo.File("shot.png"));

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(Q64_PROGRAM_PATH), {QStringLiteral("--screenshot"), shot});
    ASSERT_TRUE(first.waitForStarted(5000));
    const QString socket = QString::fromStdString(runtime.File("Quorvel200OnlyOne.socket"));
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(socket) && waited.elapsed() < 5000) QTest::qWait(20);
    ASSERT_TRUE(QFile::exists(socket));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(Q64_PROGRAM_PATH), {QStringLiteral("some-file.z64")});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    ASSERT_TRUE(first.waitForFinished(15000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(shot));
    // Closed through its window: every setting was written.
    QSettings written(QString::fromStdString(config.File("Fenwold/Quorvel64.ini")), QSettings::IniFormat);
    EXPECT_EQ(written.value(QStringLiteral("Initialization/Width")).toInt(), 635);
}

TEST(Splash, NoneWhenTheSettingIsZero) {
    EXPECT_EQ(SplashWindow::ShowForStartup(0), nullptr);
    EXPECT_EQ(SplashWindow::ShowForStartup(2), nullptr);
}

TEST(Splash, ShownForAtLeastItsTimeAndClosedOnlyByStartup) {
    QElapsedTimer timer;
    timer.start();
    auto splash = SplashWindow::ShowForStartup(1);
    EXPECT_GE(timer.elapsed(), SplashWindow::kMinimumMs);
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->pixmap().size(), QSize(400, 261));
    EXPECT_FALSE(splash->close()); // the user cannot close it
    QTest::mouseClick(splash.get(), Qt::LeftButton);
    EXPECT_TRUE(splash->isVisible());
    splash->CloseNow();
    EXPECT_FALSE(splash->isVisible());
}

TEST(Credits, LineStylesAndTheirHeights) {
    CreditsScroller scroller;
    EXPECT_EQ(scroller.TicksFor(QStringLiteral("Title\t")), 21);
    EXPECT_EQ(scroller.TicksFor(QStringLiteral("Name\n")), 19);
    EXPECT_EQ(scroller.TicksFor(QStringLiteral("Thanks\r")), 17);
    EXPECT_EQ(scroller.TicksFor(QStringLiteral("plain")), 15);
    EXPECT_EQ(scroller.TicksFor(QStringLiteral("\t")), 21); // a style character alone: an empty line of that height
    EXPECT_EQ(scroller.TicksFor(QStringLiteral("logo^")), pictures::CreditsPicture(QStringLiteral("logo")).height());
    EXPECT_EQ(scroller.TicksFor(QStringLiteral("nosuchpicture^")), 1);
}

TEST(Credits, ScrollEndlessly) {
    CreditsScroller scroller;
    scroller.resize(300, 100);
    scroller.show();
    scroller.SetText(QStringLiteral("One\t|Two|cart^"), QLatin1Char('|'));
    ASSERT_EQ(scroller.Lines().size(), 3);
    const int cycle = 21 + 15 + pictures::CreditsPicture(QStringLiteral("cart")).height();
    for (int i = 0; i < 21; ++i) scroller.Tick();
    EXPECT_EQ(scroller.CurrentLine(), 1);
    for (int i = 21; i < cycle; ++i) scroller.Tick();
    EXPECT_EQ(scroller.CurrentLine(), 0); // after the last line, the first again
    for (int i = 0; i < 3 * cycle; ++i) scroller.Tick();
    EXPECT_EQ(scroller.CurrentLine(), 0);
}

TEST(Credits, AboutBoxScrollsEveryTenMilliseconds) {
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quorvel64..."));
    EXPECT_EQ(about.Scroller()->TimerPeriod(), 10);
    EXPECT_GT(about.Scroller()->Lines().size(), 10);
    about.show();
    const int before = about.Scroller()->CurrentLine();
    QElapsedTimer waited;
    waited.start();
    while (about.Scroller()->CurrentLine() == before && waited.elapsed() < 3000) QTest::qWait(20);
    EXPECT_NE(about.Scroller()->CurrentLine(), before); // the timer moves the credits on by itself
}

} // namespace
} // namespace q64::test
