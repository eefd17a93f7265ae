// q64 info, list and samples, run through their entry points.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/Cli.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

int RunCommand(int (*command)(ArgParser&), std::vector<std::string> args, std::string* out = nullptr,
        std::string* err = nullptr) {
    ArgParser parser(std::move(args));
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = command(parser);
    const std::string o = ::testing::internal::GetCapturedStdout();
    const std::string e = ::testing::internal::GetCapturedStderr();
    if (out) *out = o;
    if (err) *err = e;
    return status;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Settings come from an empty store in the test's own folder.
        ::setenv("Q64_CONFIG", dir.File("settings.ini").c_str(), 1);
        ASSERT_EQ(RunCommand(RunSamples, {dir.File("set")}), 0);
    }
    test::TempDir dir;
};

TEST_F(CliTest, InfoJsonDescribesEveryKind) {
    std::string out;
    const auto names = samples::WriteSampleSet(dir.File("set"));
    std::vector<std::string> args = {"--json"};
    for (const std::string& name : names) args.push_back(dir.File("set/" + name));
    EXPECT_EQ(RunCommand(RunInfo, args, &out), 1); // the text and unknown files are not identified
    auto line = [&](const std::string& name) {
        const auto at = out.find(dir.File("set/" + name));
        return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
    };
    EXPECT_NE(line("Sample Racer (U).z64").find("\"kind\":1,\"title\":\"SAMPLE RACER\",\"cartId\":\"SR\","
                                                "\"territoryCode\":69,\"territory\":\"USA\",\"makerCode\":78,"
                                                "\"maker\":\"Nintendo\",\"format\":\"SP64/WC/Z64\",\"compressed\":false"),
              std::string::npos)
        << out;
    EXPECT_NE(line("Sample Quest (J).v64").find("\"format\":\"Doctor 64\""), std::string::npos);
    EXPECT_NE(line("Sample Kart (E).z64").find("\"kind\":17"), std::string::npos);
    EXPECT_NE(line("Sample Kart (E).z64").find("\"compressed\":true,\"imageSize\":1052672"), std::string::npos);
    EXPECT_NE(line("DRJR.BIN").find("\"kind\":4,\"title\":\"Doctor64 BIOS\""), std::string::npos);
    EXPECT_NE(line("Sample Fix.ips").find("\"kind\":8"), std::string::npos);
    EXPECT_NE(line("Sample Racer.sav").find("\"kind\":64"), std::string::npos);
    EXPECT_NE(line("Sample Quest.n64").find("\"kind\":128,\"title\":\"SAMPLE QUEST SAVE\""), std::string::npos);
    EXPECT_NE(line("Sample Memory.dx2").find("\"kind\":512"), std::string::npos);
    EXPECT_NE(line("Sample Racer (U).z64").find("\"saveType\":\"\",\"saveTypeFrom\":\"\""), std::string::npos);
    EXPECT_NE(line("Sample Paks.mpk").find("\"kind\":1024,\"title\":\"Memory Pak\""), std::string::npos);
    EXPECT_NE(line("Sample Paks.mpk").find("\"notes\":2,\"freePages\":117,"), std::string::npos);
    EXPECT_NE(line("Unknown.dat").find("\"kind\":0"), std::string::npos);
    EXPECT_NE(line("Unknown.dat").find("\"result\":-2"), std::string::npos);
}

TEST_F(CliTest, InfoNamesAnImagesSaveTypeFromItsHeader) {
    samples::ImageRecipe recipe;
    recipe.cartId = "ED";
    samples::Bytes bytes = samples::MakeImage(recipe);
    bytes[0x3F] = 0x20; // EEPROM 16k
    const std::string path = dir.Write("declared.z64", bytes);
    std::string out;
    EXPECT_EQ(RunCommand(RunInfo, {"--json", path}, &out), 0);
    EXPECT_NE(out.find("\"saveType\":\"eeprom16k\",\"saveTypeFrom\":\"header\""), std::string::npos) << out;
    EXPECT_EQ(RunCommand(RunInfo, {path}, &out), 0);
    EXPECT_NE(out.find("Save Type       EEPROM 16k (from the header)"), std::string::npos) << out;
}

TEST_F(CliTest, InfoJsonIsUtf8WithTitlesDecodedAndOddPathsNamedByTheirBytes) {
    samples::ImageRecipe recipe;
    recipe.title = "CAF\xC9 \xE9";  // 0xC9 is a half-width katakana, 0xE9 is not
    const std::string path = dir.Write("kana.z64", samples::MakeImage(recipe));
    std::string out;
    EXPECT_EQ(RunCommand(RunInfo, {"--json", path}, &out), 0);
    EXPECT_NE(out.find("\"title\":\"CAF\uFF89 \uFFFD\""), std::string::npos) << out;
    EXPECT_EQ(out.find("\"pathBytes\""), std::string::npos) << out;
    EXPECT_TRUE(IsValidUtf8(out));

    const std::string odd = dir.Write("odd\xFF.z64", samples::MakeImage({}));
    EXPECT_EQ(RunCommand(RunInfo, {"--json", odd}, &out), 0);
    EXPECT_TRUE(IsValidUtf8(out)) << out;
    EXPECT_NE(out.find("odd\uFFFD.z64"), std::string::npos) << out;
    EXPECT_NE(out.find("\"pathBytes\":\""), std::string::npos) << out;
    EXPECT_NE(out.find("6f6464ff2e7a3634\""), std::string::npos) << out; // "odd\xFF.z64"

    EXPECT_EQ(RunCommand(RunInfo, {"--json", dir.File("missing")}, &out), 1);
    EXPECT_NE(out.find("\"result\":-1"), std::string::npos);
}

TEST(JsonTextTest, EscapesAndReplacesWhatIsNotUtf8) {
    EXPECT_EQ(JsonText("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
    EXPECT_EQ(JsonText("\u00E9\uFF76"), "\"\u00E9\uFF76\"");
    EXPECT_EQ(JsonText("\xC3"), "\"\uFFFD\"");              // cut sequence
    EXPECT_EQ(JsonText("\xC0\xAF"), "\"\uFFFD\uFFFD\"");    // overlong form
    EXPECT_EQ(JsonText("\xED\xA0\x80"), "\"\uFFFD\uFFFD\uFFFD\""); // surrogate
    EXPECT_EQ(JsonPathFields("path", "/a"), "\"path\":\"/a\"");
    EXPECT_EQ(JsonPathFields("path", "/\x80"), "\"path\":\"/\uFFFD\",\"pathBytes\":\"2f80\"");
}

TEST_F(CliTest, ListAppliesFilterAndSort) {
    std::string out;
    EXPECT_EQ(RunCommand(RunList, {"--filter", "4", dir.File("set")}, &out), 0);
    EXPECT_NE(out.find("Sample Racer (U).z64"), std::string::npos);
    EXPECT_EQ(out.find("Sample Quest (J).v64"), std::string::npos);
    EXPECT_EQ(RunCommand(RunList, {"--sort", "country", "--filter", "2", dir.File("set")}, &out), 0);
    EXPECT_LT(out.find("Europe"), out.find("Japan"));
    EXPECT_LT(out.find("Japan"), out.find("USA"));
}

TEST_F(CliTest, BadArgumentsGoToStderrWithNonZeroStatus) {
    std::string out, err;
    EXPECT_EQ(RunCommand(RunList, {"--filter", "12", dir.File("set")}, &out, &err), 2);
    EXPECT_NE(err.find("--filter"), std::string::npos);
    EXPECT_EQ(RunCommand(RunList, {dir.File("nothing")}, &out, &err), 1);
    EXPECT_EQ(RunCommand(RunInfo, {}, &out, &err), 2);
    EXPECT_EQ(RunCommand(RunInfo, {"--jsn", "x"}, &out, &err), 2);
    EXPECT_NE(err.find("unknown option --jsn"), std::string::npos);
}

TEST(ParseNumberTextTest, ReadsDecimalHexAndTrailingH) {
    EXPECT_EQ(ParseNumberText("888"), 888);
    EXPECT_EQ(ParseNumberText("0x378"), 0x378);
    EXPECT_EQ(ParseNumberText("378H"), 0x378);
    EXPECT_EQ(ParseNumberText("378h"), 0x378);
    EXPECT_EQ(ParseNumberText("010"), 8);
    EXPECT_FALSE(ParseNumberText("abc"));
    EXPECT_FALSE(ParseNumberText(""));
    EXPECT_FALSE(ParseNumberText("12x"));
}

} // namespace
} // namespace q64::cli
