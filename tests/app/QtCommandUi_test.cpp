// The commands' boxes, pickers' filters, progress window and viewer start as
// the window shows them, and one command through the frame with the real
// boxes: caption, text, icon and buttons read from the box while it is open.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

#include <QSlider>

#include "app/BiosTuneDialog.h"
#include "app/ProgressDialog.h"
#include "app/QtCommandUi.h"
#include "browser/FileCommands.h"
#include "engine/BiosParameters.h"
#include "engine/Checksum.h"
#include "tests/app/FrameFixture.h"

namespace q64::test {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool seen = false;
};

// Arranges for the next modal message box to be read and answered with `answer`.
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [&seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(), true};
        box->button(answer)->click();
    });
}

TEST(QtCommandUiTest, PickerFiltersOfferBothCases) {
    EXPECT_EQ(QtNameFilters("IPS Files (*.IPS)|*.IPS|All Files (*.*)|*.*||"),
              (QStringList{"IPS Files (*.IPS *.ips)", "All Files (*)"}));
    EXPECT_TRUE(QtNameFilters("").isEmpty());
}

TEST(QtCommandUiTest, MessagesAndQuestionsAreQuorvel64Boxes) {
    QMainWindow window;
    QtCommandUi ui(&window, {});
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::Ok);
    ui.ShowMessage("Valid Checksum Found\n0x00000001:0x00000002", PromptIcon::Information);
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, QStringLiteral("Quorvel64"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);

    AnswerNextBox(seen, QMessageBox::Yes);
    EXPECT_TRUE(ui.AskYesNo("About to delete x\n\nAre you Sure ?", PromptIcon::Question));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    AnswerNextBox(seen, QMessageBox::No);
    EXPECT_FALSE(ui.AskYesNo("again", PromptIcon::Error));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);

    AnswerNextBox(seen, QMessageBox::Ok);
    ui.ErrorSink()("Unable to Open File");
    EXPECT_EQ(seen.text, QStringLiteral("Unable to Open File"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(QtCommandUiTest, ProgressWindowHoldsTheMainWindowWhileItLives) {
    QMainWindow window;
    window.show();
    QString status;
    QtCommandUi ui(&window, [&status](const QString& text) { status = text; });
    {
        const std::unique_ptr<ProgressWindow> progress = ui.OpenProgress(ProgressCaption::Sending);
        EXPECT_FALSE(window.isEnabled());
        auto* dialog = window.findChild<ProgressDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Sending"));
        EXPECT_EQ(dialog->Step(), 1);
        EXPECT_EQ(progress->Progress()(50), kProgressGoOn);
        EXPECT_EQ(dialog->ShownPercent(), QStringLiteral("50%"));
        dialog->CancelButton()->click();
        EXPECT_EQ(progress->Progress()(60), kProgressCancelled);
    }
    EXPECT_TRUE(window.isEnabled());
    ui.SetStatus("Ready");
    EXPECT_EQ(status, QStringLiteral("Ready"));
}

TEST(QtCommandUiTest, BoxesDuringAProgressWindowCanBeAnswered) {
    QMainWindow window;
    window.show();
    QtCommandUi ui(&window, {});
    const std::unique_ptr<ProgressWindow> progress = ui.OpenProgress(ProgressCaption::Compressing);
    ASSERT_FALSE(window.isEnabled());
    for (int which = 0; which < 3; ++which) {
        bool enabled = false;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            seen = true;
            enabled = box->isEnabled() && !box->buttons().isEmpty() && box->buttons().first()->isEnabled();
            box->done(QMessageBox::No);
        });
        if (which == 0) ui.ErrorSink()("Unable to Open File");
        if (which == 1) ui.ShowMessage("text", PromptIcon::Error);
        if (which == 2) ui.AskYesNo("question", PromptIcon::Error);
        ASSERT_TRUE(seen) << which;
        EXPECT_TRUE(enabled) << which;
    }
}

TEST(QtCommandUiTest, ViewerStartsDetachedOrSaysItCannot) {
    QtCommandUi ui(nullptr, {});
    EXPECT_TRUE(ui.StartProgram("true", "/nonexistent/file"));
    EXPECT_FALSE(ui.StartProgram("no-such-viewer-program-q64", "/tmp"));
}

// The desktop opener that ends with a failure ("no method available") is said.
TEST(QtCommandUiTest, AFailingDesktopOpenerIsSaid) {
    TempDir bin;
    const std::string script = "#!/bin/sh\necho \"xdg-open: no method available for opening '$1'\" >&2\nexit 3\n";
    const std::string opener = bin.Write("xdg-open", samples::Bytes(script.begin(), script.end()));
    ::chmod(opener.c_str(), 0755);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.Path()) + ":" + path);
    QtCommandUi ui(nullptr, {});
    std::vector<std::string> said;
    ui.SetOpenerFailureSink([&](const std::string& text) { said.push_back(text); });
    EXPECT_TRUE(ui.StartProgram(kDesktopOpener, "/roms/notes.txt"));
    qputenv("PATH", path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !said.empty(); }, 5000));
    EXPECT_EQ(said[0], "The desktop has no program to open\n/roms/notes.txt\n\n"
                       "xdg-open: no method available for opening '/roms/notes.txt'\n\nChoose a viewer in View, Properties.");
}

TEST_F(FrameFixture, CalculateCrcThroughTheWindowAsksToFixAndFixes) {
    MainFrame& f = Open();
    f.show();
    QtCommandUi boxes(&f, {});
    f.SetCommandUi(boxes);
    const QString racer = QStringLiteral("Sample Racer (U).z64");
    ASSERT_TRUE(SelectFile(racer));
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::Yes);
    f.RunCommand(CommandId::CalcCrc);
    ASSERT_TRUE(seen.seen);
    EXPECT_TRUE(seen.text.startsWith(QStringLiteral("Invalid Checksum Found\nOriginal\t0x")));
    EXPECT_TRUE(seen.text.endsWith(QStringLiteral("\n\nDo you want to Fix it ?")));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);

    AnswerNextBox(seen, QMessageBox::Ok);
    f.RunCommand(CommandId::CalcCrc);
    EXPECT_TRUE(seen.text.startsWith(QStringLiteral("Valid Checksum Found\n0x")));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(f.View()->Model().CurrentRow(), RowNames().indexOf(racer));
}

TEST_F(FrameFixture, TuneBiosThroughTheWindowWritesWhatTheDialogShows) {
    MainFrame& f = Open();
    f.show();
    QtCommandUi boxes(&f, {});
    f.SetCommandUi(boxes);
    ASSERT_TRUE(SelectFile(QStringLiteral("DRJR.BIN")));
    bool seen = false;
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<BiosTuneDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        dialog->SliderFor(BiosTuneDialog::Slider::Vertical)->setValue(12);
        dialog->accept();
    });
    f.RunCommand(CommandId::TuneBios);
    ASSERT_TRUE(seen);
    RomImage check;
    ASSERT_EQ(check.Identify(files.File("DRJR.BIN")), EngineResult::Ok);
    BiosPosition position;
    ASSERT_EQ(GetBiosPosition(check, position), EngineResult::Ok);
    EXPECT_EQ(position.vertical, 12);
    EXPECT_EQ(f.View()->Model().CurrentRow(), RowNames().indexOf(QStringLiteral("DRJR.BIN")));
}

} // namespace
} // namespace q64::test
