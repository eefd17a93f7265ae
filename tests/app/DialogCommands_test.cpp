// Tune BIOS end to end: the file read, the dialog
// answered in code, the file written (or left alone on Cancel and failure).
#include <gtest/gtest.h>

#include <QPushButton>
#include <QSlider>

#include "app/BiosTuneDialog.h"
#include "app/DialogCommands.h"
#include "engine/Backup.h"
#include "engine/RomImage.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using Slider = BiosTuneDialog::Slider;

class DialogCommandsTest : public ::testing::Test {
protected:
    MessageSink Collect() {
        return [this](const std::string& m) { messages.push_back(m); };
    }
    std::string Bios() {
        samples::Bytes bytes = samples::MakeBios();
        const std::uint8_t params[4] = {0x9F, 0x8A, 0x10, 0x08};
        for (std::size_t i = 0; i < 4; ++i) bytes[2 + i] = bytes[0x20002 + i] = params[i];
        original = bytes;
        return dir.Write("BIOS.BIN", bytes);
    }

    test::TempDir dir;
    RomImage image;
    std::vector<std::string> messages;
    samples::Bytes original;
    int shown = 0;
};

TEST_F(DialogCommandsTest, TuneBiosWritesTheChosenValuesWithOneBackup) {
    const std::string path = Bios();
    const auto answer = [this](QDialog& d) {
        ++shown;
        auto& dialog = dynamic_cast<BiosTuneDialog&>(d);
        EXPECT_EQ(dialog.ValueText(Slider::Colour), "0x1f");
        EXPECT_EQ(dialog.ColourLabel(), "Red");
        dialog.ToggleButton()->click();
        dialog.SliderFor(Slider::Colour)->setValue(0x20);
        dialog.SliderFor(Slider::Blue)->setValue(0);
        dialog.SliderFor(Slider::Vertical)->setValue(3);
        dialog.SliderFor(Slider::Horizontal)->setValue(7);
        return true;
    };
    EXPECT_EQ(RunTuneBiosCommand(nullptr, image, path, BackupMode::Keep, Collect(), answer), EngineResult::Ok);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(image.IsLoaded());
    samples::Bytes expected = original;
    const std::uint8_t written[4] = {0x60, 0x80, 0x03, 0x07};
    for (std::size_t i = 0; i < 4; ++i) expected[2 + i] = expected[0x20002 + i] = written[i];
    EXPECT_EQ(dir.Read("BIOS.BIN"), expected);
    EXPECT_EQ(samples::ReadFile(BackupPathFor(path, BackupMode::Keep)), original);
}

TEST_F(DialogCommandsTest, TuneBiosCancelWritesNothing) {
    const std::string path = Bios();
    const auto cancel = [this](QDialog& d) {
        ++shown;
        dynamic_cast<BiosTuneDialog&>(d).SliderFor(Slider::Vertical)->setValue(1);
        return false;
    };
    EXPECT_EQ(RunTuneBiosCommand(nullptr, image, path, BackupMode::Keep, Collect(), cancel),
              EngineResult::ErrCancelled);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(dir.Read("BIOS.BIN"), original);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"BIOS.BIN"}));
}

TEST_F(DialogCommandsTest, TuneBiosOnAnotherFileShowsNoDialog) {
    const auto never = [this](QDialog&) {
        ++shown;
        return true;
    };
    const std::string text = dir.Write("notes.txt", samples::MakeText());
    EXPECT_NE(RunTuneBiosCommand(nullptr, image, text, BackupMode::Keep, Collect(), never), EngineResult::Ok);
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 4096;
    const std::string rom = dir.Write("game.z64", samples::MakeImage(recipe));
    EXPECT_EQ(RunTuneBiosCommand(nullptr, image, rom, BackupMode::Keep, Collect(), never), EngineResult::ErrFailed);
    EXPECT_EQ(RunTuneBiosCommand(nullptr, image, dir.File("gone.bin"), BackupMode::Keep, Collect(), never),
              EngineResult::ErrOpen);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"game.z64", "notes.txt"}));
}

} // namespace
} // namespace q64
