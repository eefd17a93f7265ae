// q64 commands over several files, and q64 verify.

#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/Cli.h"
#include "engine/ImageHash.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

using samples::Bytes;

class SeveralFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string text = "[Initialization]\nBackup=0\n";
        const std::string path = dir_.File("settings.ini");
        samples::WriteFile(path, Bytes(text.begin(), text.end()));
        ::setenv("Q64_CONFIG", path.c_str(), 1);
        ::setenv("XDG_CACHE_HOME", cache_.Path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("Q64_CONFIG");
        ::unsetenv("XDG_CACHE_HOME");
    }
    int Run(const char* name, std::vector<std::string> args, std::string* out = nullptr) {
        ::testing::internal::CaptureStdout();
        ArgParser parser(std::move(args));
        const int status = CommandNamed(name).run(parser);
        const std::string printed = ::testing::internal::GetCapturedStdout();
        if (out) *out = printed;
        return status;
    }
    static Bytes Image(std::uint32_t seed, ImageFormat format = ImageFormat::BigEndian) {
        samples::ImageRecipe recipe;
        recipe.sizeBytes = 1052672;
        recipe.seed = seed;
        recipe.format = format;
        return samples::MakeImage(recipe);
    }
    test::TempDir dir_;
    test::TempDir cache_;
};

TEST_F(SeveralFiles, CrcFixRepairsEveryFileAndFailsWhenOneCannotBeRead) {
    const std::string a = dir_.Write("a.z64", Image(1));
    const std::string b = dir_.Write("b.n64", Image(2, ImageFormat::LittleEndian));
    EXPECT_EQ(Run("crc", {"--fix", a, b}), 0);
    std::string out;
    EXPECT_EQ(Run("crc", {a, b}, &out), 0);
    EXPECT_EQ(out.find("Invalid"), std::string::npos) << out;
    EXPECT_NE(out.find(b), std::string::npos);
    EXPECT_EQ(Run("crc", {a, dir_.File("missing.z64"), b}), 1);
}

TEST_F(SeveralFiles, FlipTriesEveryFileAndExitsNonZeroWhenAnyFailed) {
    const std::string a = dir_.Write("a.z64", Image(1));
    const std::string t = dir_.Write("t.txt", samples::MakeText());
    const std::string b = dir_.Write("b.v64", Image(2, ImageFormat::ByteSwapped));
    std::string out;
    EXPECT_EQ(Run("flip", {"--to", "n64", a, t, b}, &out), 1);
    EXPECT_EQ(dir_.Read("a.z64"), Image(1, ImageFormat::LittleEndian));
    EXPECT_EQ(dir_.Read("b.v64"), Image(2, ImageFormat::LittleEndian));
    EXPECT_EQ(dir_.Read("t.txt"), samples::MakeText());
    EXPECT_EQ(out, a + ": done\n" + b + ": done\n");
}

TEST_F(SeveralFiles, CompressAndDecompressTakeSeveralFiles) {
    const std::string a = dir_.Write("a.z64", Image(1));
    const std::string b = dir_.Write("b.v64", Image(2, ImageFormat::ByteSwapped));
    EXPECT_EQ(Run("compress", {a, b}), 0);
    EXPECT_NE(dir_.Read("a.z64"), Image(1));
    EXPECT_EQ(Run("decompress", {a, b}), 0);
    EXPECT_EQ(dir_.Read("a.z64"), Image(1));
    EXPECT_EQ(dir_.Read("b.v64"), Image(2, ImageFormat::ByteSwapped));
}

TEST_F(SeveralFiles, VerifyReportsEachFileAndRenamesGoodOnes) {
    const Bytes canonical = Image(1);
    Sha1 sha1;
    sha1.Update(canonical.data(), canonical.size());
    const std::string text = "<datafile><game name=\"Good Game (E)\"><rom name=\"g.z64\" size=\"1052672\" sha1=\"" +
                             HexDigest(sha1.Finish()) + "\"/></game></datafile>";
    const std::string dat = cache_.Write("list.dat", Bytes(text.begin(), text.end()));
    const std::string a = dir_.Write("a.v64", Image(1, ImageFormat::ByteSwapped));
    const std::string b = dir_.Write("b.z64", Image(2));
    std::string out;
    EXPECT_EQ(Run("verify", {"--dat", dat, "--json", a, b}, &out), 1); // b: the only listed size, other content
    EXPECT_NE(out.find("\"result\":\"good\",\"game\":\"Good Game (E)\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"result\":\"bad\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"cached\":false"), std::string::npos);
    EXPECT_EQ(Run("verify", {"--dat", dat, "--json", a}, &out), 0);
    EXPECT_NE(out.find("\"cached\":true"), std::string::npos) << out; // from the cache now
    EXPECT_EQ(Run("verify", {"--dat", dat, "--rename", a}, &out), 0);
    EXPECT_TRUE(dir_.Exists("Good Game (E).v64"));
}

TEST_F(SeveralFiles, VerifyWithoutADatOrWithABadOneSaysSo) {
    const std::string a = dir_.Write("a.z64", Image(1));
    EXPECT_EQ(Run("verify", {a}), 2);
    const std::string text = "<datafile>\n<game name=\"x\">\n";
    const std::string dat = cache_.Write("bad.dat", Bytes(text.begin(), text.end()));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run("verify", {"--dat", dat, a}), 1);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("line 3: the file ends before </game>"), std::string::npos) << err;
}

} // namespace
} // namespace q64::cli
