// The progress window: its texts, the cancel flag, the owner it disables
// while it exists, and the progress callback built over it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/OperationCallbacks.h"
#include "app/ProgressDialog.h"

namespace q64 {
namespace {

TEST(ProgressPercentTest, TextsOfTheWholeRangeAndBeyond) {
    EXPECT_EQ(ProgressDialog::PercentText(0, 0, 100), QStringLiteral("0%"));
    EXPECT_EQ(ProgressDialog::PercentText(50, 0, 100), QStringLiteral("50%"));
    EXPECT_EQ(ProgressDialog::PercentText(100, 0, 100), QStringLiteral("100%"));
    EXPECT_EQ(ProgressDialog::PercentText(99, 0, 100), QStringLiteral("99%"));
    // Only exactly 100 shows as 100; past it the number wraps.
    EXPECT_EQ(ProgressDialog::PercentText(150, 0, 100), QStringLiteral("50%"));
    EXPECT_EQ(ProgressDialog::PercentText(200, 0, 100), QStringLiteral("0%"));
    EXPECT_EQ(ProgressDialog::PercentText(3, 2, 6), QStringLiteral("25%"));
    EXPECT_EQ(ProgressDialog::PercentText(5, 5, 5), QStringLiteral("0%")); // empty range, no division by zero
    EXPECT_EQ(ProgressDialog::PercentText(2000000000, -2000000000, 2000000000), QStringLiteral("100%"));
}

TEST(ProgressCaptionTest, CommandCaptionsAndTheDefault) {
    EXPECT_EQ(ProgressDialog::CaptionText(61204), QStringLiteral("Compressing"));
    EXPECT_EQ(ProgressDialog::CaptionText(61206), QStringLiteral("De-Compressing"));
    EXPECT_EQ(ProgressDialog::CaptionText(61207), QStringLiteral("Byte Flipping"));
    EXPECT_EQ(ProgressDialog::CaptionText(61208), QStringLiteral("Re-Size an Image"));
    EXPECT_EQ(ProgressDialog::CaptionText(61209), QStringLiteral("Receiving"));
    EXPECT_EQ(ProgressDialog::CaptionText(61210), QStringLiteral("Sending"));
    EXPECT_EQ(ProgressDialog::CaptionText(61214), QStringLiteral("Creating Patch"));
    EXPECT_EQ(ProgressDialog(0).CaptionId(), 103);
    EXPECT_EQ(ProgressDialog::CaptionText(103), ProgressDialog::CaptionText(12345));
}

class ProgressDialogTest : public ::testing::Test {
protected:
    ProgressDialogTest() { owner.show(); }
    QMainWindow owner;
    ProgressDialog dialog{progress_caption::kSending};
};

TEST_F(ProgressDialogTest, CreateShowsCaptionAndStartTextAndDisablesTheOwner) {
    EXPECT_EQ(dialog.Lower(), 0);
    EXPECT_EQ(dialog.Upper(), 100);
    EXPECT_EQ(dialog.Step(), 10);
    ASSERT_TRUE(dialog.Create(&owner));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sending"));
    EXPECT_EQ(dialog.ShownPercent(), QStringLiteral(" 0 %"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("Cancel"));
    EXPECT_FALSE(owner.isEnabled());
    // The owner's disabling must not reach the progress window itself.
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_TRUE(dialog.CancelButton()->isEnabled());

    dialog.Destroy();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(ProgressDialogTest, WithoutAnOwnerTheMainWindowIsDisabled) {
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.Owner(), &owner);
    EXPECT_FALSE(owner.isEnabled());
    dialog.Destroy();
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(ProgressDialogTest, AnOwnerDisabledBeforehandStaysDisabled) {
    owner.setEnabled(false);
    ASSERT_TRUE(dialog.Create(&owner));
    dialog.Destroy();
    EXPECT_FALSE(owner.isEnabled());
}

TEST_F(ProgressDialogTest, DestroyingTheObjectReleasesTheOwner) {
    {
        ProgressDialog scoped(progress_caption::kReceiving);
        ASSERT_TRUE(scoped.Create(&owner));
        EXPECT_FALSE(owner.isEnabled());
    }
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(ProgressDialogTest, PositionsMoveTheBarAndTheText) {
    ASSERT_TRUE(dialog.Create(&owner));
    dialog.SetRange(0, 100);
    EXPECT_EQ(dialog.SetStep(1), 10);
    EXPECT_EQ(dialog.SetPos(0), 0);
    EXPECT_EQ(dialog.ShownPercent(), QStringLiteral("0%"));
    EXPECT_EQ(dialog.SetPos(50), 0);
    EXPECT_EQ(dialog.ShownPercent(), QStringLiteral("50%"));
    EXPECT_EQ(dialog.Bar()->value(), 50);
    EXPECT_EQ(dialog.SetPos(100), 50);
    EXPECT_EQ(dialog.ShownPercent(), QStringLiteral("100%"));
    dialog.SetPos(130); // the bar stays full
    EXPECT_EQ(dialog.Bar()->value(), 100);

    dialog.SetRange(0, 40);
    dialog.SetPos(10);
    EXPECT_EQ(dialog.ShownPercent(), QStringLiteral("25%"));
}

TEST_F(ProgressDialogTest, CancelIsOneFlagClearedWhenRead) {
    ASSERT_TRUE(dialog.Create(&owner));
    EXPECT_FALSE(dialog.CheckCancel());
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible()); // Cancel does not close the window
    EXPECT_TRUE(dialog.CheckCancel());
    EXPECT_FALSE(dialog.CheckCancel());
}

TEST_F(ProgressDialogTest, EscapeAndClosingCountAsCancelAndKeepTheWindow) {
    ASSERT_TRUE(dialog.Create(&owner));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.CheckCancel());
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.CheckCancel());
    EXPECT_FALSE(owner.isEnabled());
}

TEST_F(ProgressDialogTest, CallbackReportsCancelAsMinus12Once) {
    ASSERT_TRUE(dialog.Create(&owner));
    dialog.SetRange(0, 100);
    dialog.SetStep(1);
    const ProgressFn progress = MakeProgressFn(&dialog);
    EXPECT_EQ(progress(10), kProgressGoOn);
    EXPECT_EQ(dialog.ShownPercent(), QStringLiteral("10%"));
    dialog.CancelButton()->click();
    EXPECT_EQ(progress(20), kProgressCancelled);
    EXPECT_EQ(kProgressCancelled, -12);
    EXPECT_EQ(dialog.ShownPercent(), QStringLiteral("20%"));
    EXPECT_EQ(progress(30), kProgressGoOn);
}

TEST_F(ProgressDialogTest, CallbackOutlivingItsWindowGoesOn) {
    auto owned = std::make_unique<ProgressDialog>(progress_caption::kCompressing);
    ASSERT_TRUE(owned->Create(&owner));
    const ProgressFn progress = MakeProgressFn(owned.get());
    owned->CancelButton()->click();
    owned->Destroy();
    EXPECT_EQ(progress(50), kProgressGoOn);
    owned.reset();
    EXPECT_EQ(progress(60), kProgressGoOn);
    EXPECT_EQ(MakeProgressFn(nullptr)(0), kProgressGoOn);
}

} // namespace
} // namespace q64
