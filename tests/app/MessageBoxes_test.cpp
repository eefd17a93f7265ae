// The message boxes behind the dialogs' refusals and the engine's errors:
// caption, text, icon and owner, read from the box while it is open.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include "app/DialogMessage.h"
#include "app/OperationCallbacks.h"

namespace q64 {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* parent = nullptr;
    bool seen = false;
};

// Arranges for the next modal message box to be read and closed with OK.
void ReadNextBox(SeenBox& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->windowTitle(), box->text(), box->icon(), box->parentWidget(), true};
        box->button(QMessageBox::Ok)->click();
    });
}

TEST(MessageBoxesTest, RefusedFieldValueShowsAWarningBox) {
    QWidget dialog;
    SeenBox seen;
    ReadNextBox(seen);
    ShowDialogMessage(&dialog, IntegerRangeMessage(0, 9));
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, QStringLiteral("Quorvel64"));
    EXPECT_EQ(seen.text, QStringLiteral("Please enter an integer between 0 and 9."));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.parent, &dialog);
}

TEST(MessageBoxesTest, StopMessagesShowTheCriticalIcon) {
    SeenBox seen;
    ReadNextBox(seen);
    ShowDialogMessage(nullptr, {QStringLiteral("Quorvel62"), QStringLiteral("size"), MessageIcon::Stop});
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, QStringLiteral("Quorvel62"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(MessageBoxesTest, ErrorSinkShowsTheEngineTextOwnedByTheMainWindow) {
    QMainWindow main;
    QWidget child(&main);
    SeenBox seen;
    ReadNextBox(seen);
    const MessageSink sink = MakeErrorSink(&child);
    sink("Can't open file: /tmp/x.v64");
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, QStringLiteral("Quorvel64"));
    EXPECT_EQ(seen.text, QStringLiteral("Can't open file: /tmp/x.v64"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.parent, &main);
}

} // namespace
} // namespace q64
