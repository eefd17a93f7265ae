#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "cli/Cli.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

using samples::Bytes;

// A temporary folder with its own settings file named by Q64_CONFIG.
class ImageCommands : public ::testing::Test {
protected:
    // A new file each time: the settings library caches what it read per file name.
    void UseSettings(const std::string& lines) {
        const std::string text = "[Initialization]\n" + lines;
        const std::string path = dir_.File("settings" + std::to_string(++files_) + ".ini");
        samples::WriteFile(path, Bytes(text.begin(), text.end()));
        ::setenv("Q64_CONFIG", path.c_str(), 1);
    }
    void SetUp() override { UseSettings("Backup=1\nCompress=6\n"); }
    void TearDown() override { ::unsetenv("Q64_CONFIG"); }

    int Run(const char* name, std::vector<std::string> args) {
        ArgParser parser(std::move(args));
        return CommandNamed(name).run(parser);
    }
    // Runs and returns what the command printed on stdout.
    std::string RunCapturing(const char* name, std::vector<std::string> args, int& status) {
        ::testing::internal::CaptureStdout();
        status = Run(name, std::move(args));
        return ::testing::internal::GetCapturedStdout();
    }

    test::TempDir dir_;
    int files_ = 0;
};

TEST_F(ImageCommands, BackupDefaultsToTheSettingAndTheOptionOverridesIt) {
    const Bytes original = samples::MakeImage({});
    const std::string path = dir_.Write("game.z64", original);
    EXPECT_EQ(Run("flip", {path}), 0);
    EXPECT_EQ(dir_.Read("game.bak"), original); // "Backup" 1 keeps it
    std::remove(dir_.File("game.bak").c_str());
    EXPECT_EQ(Run("flip", {"--backup", "0", path}), 0);
    EXPECT_FALSE(dir_.Exists("game.bak"));
    EXPECT_FALSE(dir_.Exists("game._bb"));
    EXPECT_EQ(dir_.Read("game.z64"), original);
    EXPECT_EQ(Run("flip", {"--backup", "2", path}), 2);
}

TEST_F(ImageCommands, CompressLevelDefaultsToTheSetting) {
    UseSettings("Backup=0\nCompress=1\n");
    const Bytes original = samples::MakeImage({});
    const std::string path = dir_.Write("game.z64", original);
    ASSERT_EQ(Run("compress", {path}), 0);
    EXPECT_EQ(dir_.Read("game.z64"), samples::MakeCompressedImage({}, 1));
    ASSERT_EQ(Run("decompress", {path}), 0);
    ASSERT_EQ(Run("compress", {"--level", "9", path}), 0);
    EXPECT_EQ(dir_.Read("game.z64"), samples::MakeCompressedImage({}, 9));
    EXPECT_EQ(Run("compress", {path}), 1); // already compressed
    EXPECT_EQ(Run("decompress", {path}), 0);
    EXPECT_EQ(dir_.Read("game.z64"), original);
    EXPECT_EQ(Run("compress", {"--level", "10", path}), 2);
}

TEST_F(ImageCommands, CrcReportsJsonAndSucceedsWhateverTheChecksum) {
    const std::string path = dir_.Write("chip.z64", samples::MakeImageWithBootCrc({}, 0x98BC2C86u));
    int status = -1;
    std::string out = RunCapturing("crc", {"--json", path}, status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("\"stored1\":\"0x00000000\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"valid\":false"), std::string::npos) << out;
    EXPECT_NE(out.find("\"cic\":6105"), std::string::npos) << out;
    EXPECT_NE(out.find("\"result\":1"), std::string::npos) << out;

    out = RunCapturing("crc", {"--fix", "--json", "--backup", "0", path}, status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("\"fixed\":true"), std::string::npos) << out;
    EXPECT_FALSE(dir_.Exists("chip.bak"));

    out = RunCapturing("crc", {path}, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.rfind("Valid Checksum Found\n0x", 0), 0u) << out;
}

// Runs and returns what the command printed on stderr.
std::string StderrOf(const std::function<int()>& run, int& status) {
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    status = run();
    ::testing::internal::GetCapturedStdout();
    return ::testing::internal::GetCapturedStderr();
}

TEST_F(ImageCommands, CrcJsonOfAMissingFileGivesTheIdentifyResultAndNoValues) {
    int status = -1;
    const std::string out = RunCapturing("crc", {"--json", dir_.File("missing.z64")}, status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("\"result\":-1"), std::string::npos) << out;
    EXPECT_NE(out.find("\"stored1\":null,\"stored2\":null,\"new1\":null,\"new2\":null"), std::string::npos) << out;
    EXPECT_NE(out.find("\"cic\":null"), std::string::npos) << out;
    EXPECT_NE(out.find("\"valid\":false"), std::string::npos) << out;
}

TEST_F(ImageCommands, AMissingFileReadsTheSameInEveryCommand) {
    const std::string missing = dir_.File("missing.z64");
    for (const auto& args : std::vector<std::vector<std::string>>{{"ips", missing, missing},
                                                                  {"bios", missing},
                                                                  {"dx256", missing},
                                                                  {"flip", missing},
                                                                  {"crc", missing},
                                                                  {"title", missing, "X"},
                                                                  {"resize", missing, "8"}}) {
        int status = -1;
        const std::string err = StderrOf(
            [&] { return Run(args[0].c_str(), std::vector<std::string>(args.begin() + 1, args.end())); }, status);
        EXPECT_EQ(status, 1) << args[0];
        EXPECT_EQ(err, "q64 " + args[0] + ": " + missing + ": No such file\n") << args[0];
    }
}

TEST_F(ImageCommands, ABakFileIsRefusedWithoutTalkOfABackup) {
    const Bytes original = samples::MakeImage({});
    const std::string path = dir_.Write("game.bak", original);
    for (const char* name : {"flip", "compress"}) {
        int status = -1;
        const std::string err = StderrOf([&] { return Run(name, {"--backup", "3", path}); }, status);
        EXPECT_EQ(status, 1);
        EXPECT_NE(err.find(".bak file"), std::string::npos) << err;
        EXPECT_EQ(err.find("Backup"), std::string::npos) << err;
    }
    EXPECT_EQ(dir_.Read("game.bak"), original);
}

TEST_F(ImageCommands, ResizeReadsMbitAsDecimal) {
    UseSettings("Backup=0\n");
    samples::ImageRecipe small;
    small.sizeBytes = 2 * 131072;
    const std::string path = dir_.Write("game.z64", samples::MakeImage(small));
    EXPECT_EQ(Run("resize", {path, "010"}), 0);
    EXPECT_EQ(dir_.Read("game.z64").size(), 10u * 131072u); // not octal 8
    EXPECT_EQ(Run("resize", {path, "0x10"}), 2);
}

TEST_F(ImageCommands, TitleCountsCharactersAndRefusesWhatAHeaderCannotHold) {
    UseSettings("Backup=0\n");
    const std::string path = dir_.Write("game.z64", samples::MakeImage({}));
    std::string kana;
    for (int i = 0; i < 20; ++i) kana += "\uFF76"; // 20 characters, 60 bytes
    EXPECT_EQ(Run("title", {path, kana}), 0);
    const Bytes bytes = dir_.Read("game.z64");
    EXPECT_EQ(Bytes(bytes.begin() + 0x20, bytes.begin() + 0x34), Bytes(20, 0xB6));
    EXPECT_EQ(Run("title", {path, kana + "A"}), 2);
    int status = -1;
    const std::string err = StderrOf([&] { return Run("title", {path, "caf\u00E9"}); }, status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("\"\u00E9\""), std::string::npos) << err;
    const std::string overlong = StderrOf([&] { return Run("title", {path, "\xC0\xA4" "A"}); }, status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(overlong.find("the bytes C0 A4, which are not UTF-8"), std::string::npos) << overlong;
    EXPECT_EQ(dir_.Read("game.z64"), bytes);
}

TEST_F(ImageCommands, FailuresExitNonZeroAndLeaveTheFile) {
    const Bytes packed = samples::MakeCompressedImage({});
    const Bytes damaged(packed.begin(), packed.begin() + 1000);
    const std::string path = dir_.Write("bad.z64", damaged);
    EXPECT_EQ(Run("decompress", {path}), 1);
    EXPECT_EQ(dir_.Read("bad.z64"), damaged);
    EXPECT_FALSE(dir_.Exists("bad.bak"));
    int status = -1;
    RunCapturing("crc", {path}, status);
    EXPECT_EQ(status, 1); // a compressed image cannot be summed
    EXPECT_EQ(Run("flip", {dir_.File("missing.z64")}), 1);
}

TEST_F(ImageCommands, ResizeAndTitleCheckTheirArguments) {
    const Bytes original = samples::MakeImage({});
    const std::string path = dir_.Write("game.z64", original);
    EXPECT_EQ(Run("resize", {path, "3"}), 2);
    EXPECT_EQ(Run("resize", {path, "258"}), 2);
    EXPECT_EQ(Run("resize", {path, "x"}), 2);
    EXPECT_EQ(Run("title", {path, "A TITLE OF 21 LETTERS"}), 2);
    EXPECT_EQ(dir_.Read("game.z64"), original);
    EXPECT_EQ(Run("resize", {"--backup", "3", path, "16"}), 0);
    EXPECT_EQ(dir_.Read("game.z64").size(), 16u * 131072u);
    EXPECT_EQ(Run("title", {path, "RETITLED"}), 0);
    const Bytes after = dir_.Read("game.z64");
    EXPECT_EQ(std::string(after.begin() + 0x20, after.begin() + 0x28), "RETITLED");
}

} // namespace
} // namespace q64::cli
