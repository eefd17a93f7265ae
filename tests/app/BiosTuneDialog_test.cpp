// The "Tune BIOS Parameters" dialog: texts, sliders, swatch and toggle from
// the values read from a BIOS file, and the values it hands back to be written.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <cstdlib>

#include "app/BiosTuneDialog.h"
#include "engine/RomImage.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using Slider = BiosTuneDialog::Slider;

// A BIOS file whose parameter bytes 2..5 (both copies) are `b`.
samples::Bytes BiosWith(const std::array<std::uint8_t, 4>& b) {
    samples::Bytes bytes = samples::MakeBios();
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[2 + i] = b[i];
        bytes[0x20002 + i] = b[i];
    }
    return bytes;
}

class BiosTuneDialogTest : public ::testing::Test {
protected:
    // Reads the parameters as the Tune BIOS command does.
    void Read(const std::string& path) {
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        ASSERT_EQ(GetBiosColour(image, colour), EngineResult::Ok);
        ASSERT_EQ(GetBiosPosition(image, position), EngineResult::Ok);
        image.Clear();
    }
    test::TempDir dir;
    RomImage image;
    BiosColour colour;
    BiosPosition position;
};

TEST_F(BiosTuneDialogTest, OpensWithTheFilesValues) {
    Read(dir.Write("bios.bin", BiosWith({0x9F, 0x8A, 0x10, 0x08})));
    BiosTuneDialog dialog(colour, position);
    EXPECT_EQ(dialog.windowTitle(), "Tune BIOS Parameters");
    EXPECT_EQ(dialog.ColourLabel(), "Red");
    EXPECT_EQ(dialog.ValueText(Slider::Colour), "0x1f");
    EXPECT_EQ(dialog.ValueText(Slider::Blue), "0xa");
    EXPECT_EQ(dialog.ValueText(Slider::Vertical), "0x10");
    EXPECT_EQ(dialog.ValueText(Slider::Horizontal), "0x8");
    EXPECT_EQ(dialog.SliderFor(Slider::Colour)->value(), 0x1f);
    EXPECT_EQ(dialog.SliderFor(Slider::Blue)->value(), 0xa);
    EXPECT_EQ(dialog.SliderFor(Slider::Vertical)->value(), 0x10);
    EXPECT_EQ(dialog.SliderFor(Slider::Horizontal)->value(), 0x8);
    EXPECT_EQ(dialog.SliderFor(Slider::Vertical)->maximum(), 31);
    EXPECT_EQ(dialog.SliderFor(Slider::Horizontal)->maximum(), 31);
    EXPECT_EQ(dialog.SliderFor(Slider::Colour)->maximum(), 63);
    EXPECT_EQ(dialog.SliderFor(Slider::Blue)->maximum(), 63);
    EXPECT_EQ(dialog.SwatchColour(), QColor(0x7C, 0, 0x28));
    EXPECT_EQ(dialog.Colour(), colour);
    EXPECT_EQ(dialog.Position(), position);
    EXPECT_EQ(dialog.ToggleButton()->text(), "Toggle Red/Green");
}

TEST_F(BiosTuneDialogTest, GreenAndZeroTexts) {
    Read(dir.Write("bios.bin", BiosWith({0x80, 0x80, 0x00, 0x00})));
    BiosTuneDialog zero(colour, position);
    EXPECT_EQ(zero.ColourLabel(), "Green");
    for (Slider s : {Slider::Vertical, Slider::Horizontal, Slider::Colour, Slider::Blue})
        EXPECT_EQ(zero.ValueText(s), "0");
    EXPECT_EQ(zero.SwatchColour(), QColor(0, 0, 0));

    Read(dir.Write("bios.bin", BiosWith({0x60, 0x80, 0x00, 0x00})));
    BiosTuneDialog green(colour, position);
    EXPECT_EQ(green.ColourLabel(), "Green");
    EXPECT_EQ(green.ValueText(Slider::Colour), "0x20");
    EXPECT_EQ(green.SwatchColour(), QColor(0, 0x80, 0));
}

TEST_F(BiosTuneDialogTest, MovingASliderRewritesItsTextAndTheSwatch) {
    BiosTuneDialog dialog({5, 6, ColourComponent::Red}, {1, 2});
    dialog.SliderFor(Slider::Blue)->setValue(63);
    EXPECT_EQ(dialog.ValueText(Slider::Blue), "0x3f");
    EXPECT_EQ(dialog.Colour().blue, 63);
    EXPECT_EQ(dialog.SwatchColour(), QColor(20, 0, 0xFC));
    dialog.SliderFor(Slider::Horizontal)->setValue(0);
    EXPECT_EQ(dialog.ValueText(Slider::Horizontal), "0");
    EXPECT_EQ(dialog.Position(), (BiosPosition{1, 0}));
    dialog.SliderFor(Slider::Colour)->setValue(40);
    EXPECT_EQ(dialog.Colour(), (BiosColour{40, 63, ColourComponent::Red}));
    EXPECT_EQ(dialog.SwatchColour(), QColor(160, 0, 0xFC));
}

TEST_F(BiosTuneDialogTest, ToggleSwitchesTheComponentNotTheValue) {
    BiosTuneDialog dialog({0x20, 0, ColourComponent::Red}, {});
    dialog.ToggleButton()->click();
    EXPECT_EQ(dialog.ColourLabel(), "Green");
    EXPECT_EQ(dialog.Colour(), (BiosColour{0x20, 0, ColourComponent::Green}));
    EXPECT_EQ(dialog.SwatchColour(), QColor(0, 0x80, 0));
    EXPECT_EQ(dialog.ValueText(Slider::Colour), "0x20");
    dialog.ToggleButton()->click();
    EXPECT_EQ(dialog.ColourLabel(), "Red");
    EXPECT_EQ(dialog.SwatchColour(), QColor(0x80, 0, 0));
}

TEST_F(BiosTuneDialogTest, OutOfRangeValuesComeBackUnlessTheirSliderMoves) {
    // Byte 2 = 0x00 is Green 0x80, blue byte 0x7F is 0xff; positions 0xc8 and 0xff.
    Read(dir.Write("bios.bin", BiosWith({0x00, 0x7F, 0xC8, 0xFF})));
    BiosTuneDialog dialog(colour, position);
    EXPECT_EQ(dialog.ValueText(Slider::Colour), "0x80");
    EXPECT_EQ(dialog.ValueText(Slider::Blue), "0xff");
    EXPECT_EQ(dialog.ValueText(Slider::Vertical), "0xc8");
    EXPECT_EQ(dialog.SliderFor(Slider::Colour)->value(), 63);
    EXPECT_EQ(dialog.SliderFor(Slider::Vertical)->value(), 31);
    EXPECT_EQ(dialog.Colour(), (BiosColour{0x80, 0xff, ColourComponent::Green}));
    EXPECT_EQ(dialog.Position(), (BiosPosition{0xc8, 0xff}));
    dialog.SliderFor(Slider::Vertical)->setValue(3);
    EXPECT_EQ(dialog.Position(), (BiosPosition{3, 0xff}));
    EXPECT_EQ(dialog.Colour(), (BiosColour{0x80, 0xff, ColourComponent::Green}));
}

TEST_F(BiosTuneDialogTest, OkHandsBackTheChosenValues) {
    Read(dir.Write("bios.bin", BiosWith({0x9F, 0x8A, 0x10, 0x08})));
    BiosTuneDialog dialog(colour, position);
    dialog.ToggleButton()->click();
    dialog.SliderFor(Slider::Colour)->setValue(0x20);
    dialog.SliderFor(Slider::Blue)->setValue(0);
    dialog.SliderFor(Slider::Vertical)->setValue(3);
    dialog.SliderFor(Slider::Horizontal)->setValue(7);
    auto* box = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    box->button(QDialogButtonBox::Ok)->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Colour(), (BiosColour{0x20, 0, ColourComponent::Green}));
    EXPECT_EQ(dialog.Position(), (BiosPosition{3, 7}));
    // These encode as 60 80 03 07, the bytes the file then holds.
    EXPECT_EQ(EncodeColourByte(dialog.Colour().value, dialog.Colour().component), 0x60);
    EXPECT_EQ(EncodeBlueByte(dialog.Colour().blue), 0x80);
}

TEST_F(BiosTuneDialogTest, CancelRejects) {
    BiosTuneDialog dialog({}, {});
    auto* box = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), "Cancel");
    box->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(BiosTuneDialogTest, Renders) {
    BiosTuneDialog dialog({0x1f, 0x0a, ColourComponent::Red}, {0x10, 0x08});
    dialog.adjustSize();
    const QPixmap shot = dialog.grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_GE(shot.width(), 250);
    // Q64_DIALOG_SHOTS names a folder to keep a picture of the dialog in.
    if (const char* folder = std::getenv("Q64_DIALOG_SHOTS")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(folder) + QStringLiteral("/BiosTuneDialog.png")));
    }
}

} // namespace
} // namespace q64
