#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/BiosParameters.h"
#include "engine/RomImage.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

TEST(BiosEncoding, KnownBytes) {
    EXPECT_EQ(EncodeColourByte(0x1F, ColourComponent::Red), 0x9F);
    EXPECT_EQ(EncodeColourByte(0x20, ColourComponent::Green), 0x60);
    EXPECT_EQ(EncodeColourByte(0, ColourComponent::Red), 0x80);
    EXPECT_EQ(EncodeBlueByte(0xA), 0x8A);
    EXPECT_EQ(EncodeBlueByte(0), 0x80);

    EXPECT_EQ(DecodeColour(0x9F, 0x8A), (BiosColour{0x1F, 0xA, ColourComponent::Red}));
    EXPECT_EQ(DecodeColour(0x80, 0x80), (BiosColour{0, 0, ColourComponent::Green}));
    EXPECT_EQ(DecodeColour(0x60, 0x80), (BiosColour{0x20, 0, ColourComponent::Green}));
    // Red 0 is stored as 0x80, which reads back as green 0 (the same colour).
    EXPECT_EQ(DecodeColour(EncodeColourByte(0, ColourComponent::Red), 0x80).component, ColourComponent::Green);
    // Blue below 0x80 wraps instead of going negative.
    EXPECT_EQ(DecodeColour(0x80, 0x10).blue, 0x90);
}

TEST(BiosEncoding, EveryByteRoundTripsAndEveryValueInRangeToo) {
    for (int b = 0; b < 256; ++b) {
        const BiosColour c = DecodeColour(static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(b));
        EXPECT_EQ(EncodeColourByte(c.value, c.component), b);
        EXPECT_EQ(EncodeBlueByte(c.blue), b);
    }
    for (int v = 1; v <= bios::kMaxRed; ++v)
        EXPECT_EQ(DecodeColour(EncodeColourByte(v, ColourComponent::Red), 0x80).value, v);
    for (int v = 0; v <= bios::kMaxGreen; ++v)
        EXPECT_EQ(DecodeColour(EncodeColourByte(v, ColourComponent::Green), 0x80),
                  (BiosColour{v, 0, ColourComponent::Green}));
}

TEST(BiosEncoding, DialogTexts) {
    EXPECT_EQ(FormatBiosValue(0x1F), "0x1f");
    EXPECT_EQ(FormatBiosValue(0), "0");
    EXPECT_STREQ(ComponentName(ColourComponent::Red), "Red");
    EXPECT_STREQ(ComponentName(ColourComponent::Green), "Green");
    EXPECT_EQ(BiosSwatchColour({0x1F, 0xA, ColourComponent::Red}), (SwatchRgb{0x7C, 0, 0x28}));
    EXPECT_EQ(BiosSwatchColour({0x3F, 0x3F, ColourComponent::Green}), (SwatchRgb{0, 0xFC, 0xFC}));
    EXPECT_EQ(BiosSwatchColour({0x41, 0x41, ColourComponent::Green}), (SwatchRgb{0, 0x04, 0x04})); // 6 bits; 8 bits
}

class BiosFile : public ::testing::Test {
protected:
    void SetUp() override {
        original = samples::MakeBios();
        for (std::int64_t copy : {std::int64_t{0}, bios::kSecondCopy}) {
            original[copy + 2] = 0x9F;
            original[copy + 3] = 0x8A;
            original[copy + 4] = 0x10;
            original[copy + 5] = 0x08;
        }
        path = dir.Write("DRJR.BIN", original);
        image.SetMessageSink([this](const std::string& t) { messages.push_back(t); });
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    }
    Bytes Current() const { return dir.Read("DRJR.BIN"); }

    test::TempDir dir;
    Bytes original;
    std::string path;
    RomImage image;
    std::vector<std::string> messages;
};

TEST_F(BiosFile, ReadsTheParameters) {
    BiosColour colour;
    BiosPosition position;
    ASSERT_EQ(GetBiosColour(image, colour), EngineResult::Ok);
    ASSERT_EQ(GetBiosPosition(image, position), EngineResult::Ok);
    EXPECT_EQ(colour, (BiosColour{0x1F, 0xA, ColourComponent::Red}));
    EXPECT_EQ(position, (BiosPosition{0x10, 0x8}));
}

TEST_F(BiosFile, WritesBothCopiesAndNothingElse) {
    ASSERT_EQ(SetBiosParameters(image, BackupMode::Temporary, {0x20, 0, ColourComponent::Green}, {3, 7}),
              EngineResult::Ok);
    Bytes expected = original;
    for (std::int64_t copy : {std::int64_t{0}, bios::kSecondCopy}) {
        expected[copy + 2] = 0x60;
        expected[copy + 3] = 0x80;
        expected[copy + 4] = 0x03;
        expected[copy + 5] = 0x07;
    }
    EXPECT_EQ(Current(), expected);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"DRJR.BIN"});
}

TEST_F(BiosFile, KeepModeBackupHoldsEveryPreviousParameter) {
    ASSERT_EQ(SetBiosParameters(image, BackupMode::Keep, {5, 6, ColourComponent::Red}, {1, 2}), EngineResult::Ok);
    EXPECT_EQ(dir.Read("DRJR.bak"), original);
    BiosColour colour;
    BiosPosition position;
    ASSERT_EQ(GetBiosColour(image, colour), EngineResult::Ok);
    ASSERT_EQ(GetBiosPosition(image, position), EngineResult::Ok);
    EXPECT_EQ(colour, (BiosColour{5, 6, ColourComponent::Red}));
    EXPECT_EQ(position, (BiosPosition{1, 2}));
}

TEST_F(BiosFile, ColourAndPositionAloneTouchOnlyTheirBytes) {
    ASSERT_EQ(SetBiosColour(image, BackupMode::NoneInPlace, {0x3F, 0x3F, ColourComponent::Red}), EngineResult::Ok);
    Bytes expected = original;
    expected[2] = expected[0x20002] = 0xBF;
    expected[3] = expected[0x20003] = 0xBF;
    EXPECT_EQ(Current(), expected);
    ASSERT_EQ(SetBiosPosition(image, BackupMode::Temporary, {31, 0}), EngineResult::Ok);
    expected[4] = expected[0x20004] = 31;
    expected[5] = expected[0x20005] = 0;
    EXPECT_EQ(Current(), expected);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"DRJR.BIN"});
}

TEST_F(BiosFile, RefusesOtherKindsAndUnloadedInstance) {
    RomImage empty;
    BiosColour colour{1, 2, ColourComponent::Red};
    EXPECT_EQ(GetBiosColour(empty, colour), EngineResult::ErrNotLoaded);
    EXPECT_EQ(colour, (BiosColour{1, 2, ColourComponent::Red})); // left unset

    samples::ImageSpec spec;
    spec.sizeBytes = kBiosFileSize;
    const Bytes rom = samples::MakeImage(spec);
    const std::string romPath = dir.Write("GAME.z64", rom);
    ASSERT_EQ(image.Identify(romPath), EngineResult::Ok);
    EXPECT_EQ(GetBiosColour(image, colour), EngineResult::ErrFailed);
    EXPECT_EQ(SetBiosParameters(image, BackupMode::Temporary, colour, {1, 1}), EngineResult::ErrFailed);
    EXPECT_EQ(dir.Read("GAME.z64"), rom);
}

TEST_F(BiosFile, FileChangedSinceIdentifyIsNotWritten) {
    Bytes shorter(original.begin(), original.begin() + 0x20000);
    dir.Write("DRJR.BIN", shorter);
    EXPECT_EQ(SetBiosPosition(image, BackupMode::Temporary, {1, 1}), EngineResult::ErrFormat);
    EXPECT_EQ(Current(), shorter);
    std::filesystem::remove(path);
    BiosPosition position;
    EXPECT_EQ(GetBiosPosition(image, position), EngineResult::ErrOpen);
    EXPECT_EQ(SetBiosPosition(image, BackupMode::Temporary, {1, 1}), EngineResult::ErrOpen);
}

TEST_F(BiosFile, BackupFileIsNeverWritten) {
    const std::string bak = dir.Write("OLD.bak", original);
    ASSERT_EQ(image.Identify(bak), EngineResult::Ok);
    EXPECT_EQ(SetBiosColour(image, BackupMode::NoneInPlace, {1, 1, ColourComponent::Red}), EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("OLD.bak"), original);
}

} // namespace
} // namespace q64
