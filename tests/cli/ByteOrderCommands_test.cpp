// q64 flip --to and q64 info on little-endian images.

#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/Cli.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

using samples::Bytes;

class ByteOrderCommands : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string text = "[Initialization]\nBackup=0\n";
        const std::string path = dir_.File("settings.ini");
        samples::WriteFile(path, Bytes(text.begin(), text.end()));
        ::setenv("Q64_CONFIG", path.c_str(), 1);
    }
    void TearDown() override { ::unsetenv("Q64_CONFIG"); }
    int Run(const char* name, std::vector<std::string> args) {
        ArgParser parser(std::move(args));
        return CommandNamed(name).run(parser);
    }
    Bytes Image(ImageFormat format) {
        samples::ImageRecipe recipe;
        recipe.sizeBytes = 70000;
        recipe.format = format;
        return samples::MakeImage(recipe);
    }
    test::TempDir dir_;
};

TEST_F(ByteOrderCommands, FlipToEachExtensionWritesThatOrder) {
    const std::string path = dir_.Write("game.rom", Image(ImageFormat::BigEndian));
    const std::pair<const char*, ImageFormat> steps[] = {{"n64", ImageFormat::LittleEndian},
                                                         {"v64", ImageFormat::ByteSwapped},
                                                         {"n64", ImageFormat::LittleEndian},
                                                         {"z64", ImageFormat::BigEndian}};
    for (const auto& [to, format] : steps) {
        ASSERT_EQ(Run("flip", {"--to", to, path}), 0) << to;
        EXPECT_EQ(dir_.Read("game.rom"), Image(format)) << to;
    }
}

TEST_F(ByteOrderCommands, FlipWithoutToTurnsLittleEndianIntoBigEndian) {
    const std::string path = dir_.Write("game.n64", Image(ImageFormat::LittleEndian));
    ASSERT_EQ(Run("flip", {path}), 0);
    EXPECT_EQ(dir_.Read("game.n64"), Image(ImageFormat::BigEndian));
}

TEST_F(ByteOrderCommands, FlipToAnUnknownOrderIsAUsageError) {
    const Bytes original = Image(ImageFormat::BigEndian);
    const std::string path = dir_.Write("game.z64", original);
    EXPECT_EQ(Run("flip", {"--to", "n65", path}), 2);
    EXPECT_EQ(dir_.Read("game.z64"), original);
}

TEST_F(ByteOrderCommands, InfoJsonNamesTheLittleEndianFormat) {
    const std::string path = dir_.Write("game.n64", Image(ImageFormat::LittleEndian));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Run("info", {"--json", path}), 0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\"format\":\"N64 (little-endian)\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"title\":\"QUORVEL SAMPLE\""), std::string::npos) << out;
}

} // namespace
} // namespace q64::cli
