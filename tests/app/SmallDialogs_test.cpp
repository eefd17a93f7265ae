// The four one-question dialogs and the pieces they are built from: the
// number field with arrows and the field readers.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "app/DialogFields.h"
#include "app/FilenameDialog.h"
#include "app/ReceiveSizeDialog.h"
#include "app/ResizeDialog.h"
#include "app/SpinField.h"
#include "app/TitleDialog.h"

namespace q64 {
namespace {

using test::MessageRecorder;
using test::PressOk;

TEST(DialogFieldsTest, WholeNumbersAreDecimalWithOptionalSignAndBlanks) {
    EXPECT_EQ(ParseWholeNumber(QStringLiteral("64")), 64);
    EXPECT_EQ(ParseWholeNumber(QStringLiteral("  -2 ")), -2);
    EXPECT_EQ(ParseWholeNumber(QStringLiteral("+8")), 8);
    EXPECT_EQ(ParseWholeNumber(QStringLiteral("010")), 10);
    for (const char* bad : {"", "  ", "abc", "6 4", "0x10", "64h", "1.5", "-", "99999999999"}) {
        EXPECT_FALSE(ParseWholeNumber(QString::fromLatin1(bad)).has_value()) << bad;
    }
}

TEST(DialogFieldsTest, AddressesShowInHashXForm) {
    EXPECT_EQ(FormatHexAddress(0x2BC), QStringLiteral("0x2bc"));
    EXPECT_EQ(FormatHexAddress(0), QStringLiteral("0"));
    EXPECT_EQ(FormatHexAddress(-1), QStringLiteral("0xffffffff"));
    EXPECT_EQ(ParseNumberField(QStringLiteral("2BCh")), 0x2BC);
    EXPECT_EQ(ParseNumberField(FormatHexAddress(0x3BC)), 0x3BC);
    EXPECT_EQ(ParseNumberField(QStringLiteral("junk")), 0);
}

TEST(SpinFieldTest, ArrowsStepTowardsTheirEndAndStopThere) {
    SpinField field;
    field.SetArrowRange(256, 2); // up arrow counts down
    field.SetValue(4);
    field.StepUp();
    EXPECT_EQ(field.Text(), QStringLiteral("3"));
    field.StepUp();
    field.StepUp();
    EXPECT_EQ(field.Text(), QStringLiteral("2"));
    field.StepDown();
    EXPECT_EQ(field.Text(), QStringLiteral("3"));

    field.SetArrowRange(1, 9);
    field.SetValue(0); // typed below the arrows' range
    field.StepDown();
    EXPECT_EQ(field.Text(), QStringLiteral("1"));
    field.SetText(QStringLiteral("x"));
    field.StepUp();
    EXPECT_EQ(field.Text(), QStringLiteral("2"));
    QTest::keyClick(field.Edit(), Qt::Key_Up);
    EXPECT_EQ(field.Text(), QStringLiteral("3"));
    field.SetValue(9);
    field.UpButton()->click();
    EXPECT_EQ(field.Text(), QStringLiteral("9"));
}

class ResizeDialogTest : public ::testing::Test {
protected:
    ResizeDialogTest() { dialog.SetMessageFn(messages.Fn()); }
    ResizeDialog dialog;
    MessageRecorder messages;
};

TEST_F(ResizeDialogTest, OpensWithCustom64AndUpArrowTowardsTwo) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Re-Size"));
    EXPECT_EQ(dialog.SizeField()->Text(), QStringLiteral("64"));
    EXPECT_TRUE(dialog.CustomChoice()->isChecked());
    EXPECT_FALSE(dialog.SizeField()->IsReadOnly());
    EXPECT_EQ(dialog.SizeField()->DownEnd(), 256);
    EXPECT_EQ(dialog.SizeField()->UpEnd(), 2);
    dialog.SizeField()->StepUp();
    EXPECT_EQ(dialog.SizeField()->Text(), QStringLiteral("63"));
    // The image's size now, in Mbit.
    EXPECT_EQ(dialog.CurrentSizeText(), QString());
    dialog.SetCurrentSize(8 * 131072 + 4096);
    EXPECT_EQ(dialog.CurrentSizeText(), QStringLiteral("Current Size: 8.0 MBit"));
}

TEST_F(ResizeDialogTest, EvenSizesFromTwoTo256AreAccepted) {
    for (const char* size : {"2", "256", " 96 "}) {
        ResizeDialog fresh;
        fresh.SizeField()->SetText(QString::fromLatin1(size));
        EXPECT_TRUE(PressOk(fresh)) << size;
        EXPECT_EQ(fresh.SizeMbit(), QString::fromLatin1(size).trimmed().toInt());
    }
}

TEST_F(ResizeDialogTest, OddOrOutOfRangeSizesKeepTheDialogOpenWithTheSizeMessage) {
    for (const char* size : {"0", "1", "3", "255", "258", "-2"}) {
        messages.shown.clear();
        dialog.SizeField()->SetText(QString::fromLatin1(size));
        EXPECT_FALSE(PressOk(dialog)) << size;
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(messages.shown.size(), 1u) << size;
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("New Size MUST be a Multiple of 2\nand between 2 - 256"));
        EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Quorvel62"));
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Stop);
    }
    // Corrected, the same dialog closes.
    dialog.SizeField()->SetText(QStringLiteral("128"));
    EXPECT_TRUE(PressOk(dialog));
    EXPECT_EQ(dialog.SizeMbit(), 128);
}

TEST_F(ResizeDialogTest, TextThatIsNoNumberAsksForAnInteger) {
    dialog.SizeField()->SetText(QStringLiteral("sixty"));
    EXPECT_FALSE(PressOk(dialog));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Please enter an integer."));
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Quorvel64"));
    EXPECT_TRUE(dialog.SizeField()->Edit()->hasSelectedText());
}

TEST_F(ResizeDialogTest, PresetsPinTheFieldAndCustomKeepsTheNumber) {
    dialog.Choice96()->click();
    EXPECT_EQ(dialog.SizeField()->Text(), QStringLiteral("96"));
    EXPECT_TRUE(dialog.SizeField()->IsReadOnly());
    dialog.SizeField()->StepUp();
    dialog.SizeField()->StepDown();
    EXPECT_EQ(dialog.SizeField()->Text(), QStringLiteral("96"));

    dialog.CustomChoice()->click();
    EXPECT_EQ(dialog.SizeField()->Text(), QStringLiteral("96"));
    EXPECT_FALSE(dialog.SizeField()->IsReadOnly());
    EXPECT_EQ(dialog.SizeField()->UpEnd(), 2);

    dialog.Choice128()->click();
    EXPECT_TRUE(PressOk(dialog));
    EXPECT_EQ(dialog.SizeMbit(), 128);
}

TEST(ReceiveSizeDialogTest, ChoicesMapToTheirSizesAndTheFirstIsPreselected) {
    const int expected[] = {64, 128, 192, 256};
    for (int i = 0; i < 4; ++i) {
        ReceiveSizeDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Receive Size"));
        EXPECT_TRUE(dialog.Choice(0)->isChecked());
        EXPECT_EQ(dialog.Choice(i)->text(), QStringLiteral("%1 MBit").arg(expected[i]));
        dialog.Choice(i)->click();
        EXPECT_TRUE(PressOk(dialog));
        EXPECT_EQ(dialog.SizeMbit(), expected[i]);
    }
}

TEST(ReceiveSizeDialogTest, CancelLeavesNoResult) {
    ReceiveSizeDialog dialog;
    dialog.show();
    test::CancelButton(dialog)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.SizeMbit(), 0);
}

class TitleDialogTest : public ::testing::Test {
protected:
    TitleDialogTest() { dialog.SetMessageFn(messages.Fn()); }
    TitleDialog dialog;
    MessageRecorder messages;
};

TEST_F(TitleDialogTest, TypingStopsAtTwentyCharactersWhichAreAccepted) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter New Title for Image"));
    QTest::keyClicks(dialog.Field(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW"));
    EXPECT_EQ(dialog.Title(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    EXPECT_TRUE(PressOk(dialog));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TitleDialogTest, PresetIsShownAndKeptWithItsSpaces) {
    dialog.SetTitle(QStringLiteral("SUPER GAME  "));
    EXPECT_EQ(dialog.Title(), QStringLiteral("SUPER GAME  "));
    EXPECT_TRUE(PressOk(dialog));
    EXPECT_EQ(dialog.Title(), QStringLiteral("SUPER GAME  "));
}

TEST_F(TitleDialogTest, OverlongPresetIsRefusedUntilShortened) {
    const QString preset = QStringLiteral("0123456789ABCDEFGHIJKLMN"); // 24 characters
    dialog.SetTitle(preset);
    EXPECT_EQ(dialog.Title(), preset); // shown whole, not cut
    EXPECT_FALSE(PressOk(dialog));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Please enter no more than 20 characters."));

    // Typing cannot lengthen it; deleting shortens it, and then 20 is the limit again.
    dialog.Field()->setFocus();
    dialog.Field()->end(false);
    QTest::keyClicks(dialog.Field(), QStringLiteral("XY"));
    EXPECT_EQ(dialog.Title(), preset);
    for (int i = 0; i < 6; ++i) QTest::keyClick(dialog.Field(), Qt::Key_Backspace);
    QTest::keyClicks(dialog.Field(), QStringLiteral("XYZ"));
    EXPECT_EQ(dialog.Title(), QStringLiteral("0123456789ABCDEFGHXY"));
    EXPECT_TRUE(PressOk(dialog));
}

TEST_F(TitleDialogTest, KatakanaIsTakenAndCharactersWithoutAByteAreNamed) {
    std::vector<DialogMessage> shown;
    dialog.SetMessageFn([&](QWidget*, const DialogMessage& m) { shown.push_back(m); });
    dialog.Field()->setText(QStringLiteral("ZELDA \uFF7E\uFF9E\uFF99\uFF80\uFF9E"));
    EXPECT_TRUE(PressOk(dialog));
    EXPECT_EQ(dialog.TitleText(), "ZELDA \uFF7E\uFF9E\uFF99\uFF80\uFF9E");
    dialog.Field()->setText(QStringLiteral("ABC\u3042\u00E9\u3042"));
    EXPECT_FALSE(PressOk(dialog));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("\"\u3042\" and \"\u00E9\"")));
}

TEST_F(TitleDialogTest, AReplacementStandsOnlyForAnUndecodableStoredByte) {
    std::vector<DialogMessage> shown;
    dialog.SetMessageFn([&](QWidget*, const DialogMessage& m) { shown.push_back(m); });
    dialog.SetOriginalField(std::string("AB\x01", 3) + std::string(17, ' '));
    dialog.SetTitle(QStringLiteral("AB\uFFFD"));
    EXPECT_TRUE(PressOk(dialog));
    dialog.SetTitle(QStringLiteral("\uFFFDAB"));
    EXPECT_FALSE(PressOk(dialog));
    EXPECT_EQ(shown.size(), 1u);
}

TEST(FilenameDialogTest, StartsEmptyTakesAPresetAndAcceptsAnyText) {
    FilenameDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter New Filename"));
    EXPECT_TRUE(dialog.Filename().isEmpty());
    dialog.SetFilename(QStringLiteral("game.v64"));
    EXPECT_EQ(dialog.Filename(), QStringLiteral("game.v64"));
    dialog.Field()->clear();
    EXPECT_TRUE(PressOk(dialog)); // empty is the caller's business
    FilenameDialog other;
    QTest::keyClicks(other.Field(), QStringLiteral("a b/../c?.z64"));
    EXPECT_TRUE(PressOk(other));
    EXPECT_EQ(other.Filename(), QStringLiteral("a b/../c?.z64"));
}

} // namespace
} // namespace q64
