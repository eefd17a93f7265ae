#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "engine/Dx256File.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

using samples::Bytes;

class DataCommands : public ::testing::Test {
protected:
    void SetUp() override {
        // Settings from an empty INI in the test folder: "Backup" defaults to 1.
        ::setenv("Q64_CONFIG", dir.File("settings.ini").c_str(), 1);
    }
    // Runs a command and returns its exit status; stdout lands in `out`.
    int Run(int (*command)(ArgParser&), std::vector<std::string> args) {
        ArgParser parser(std::move(args));
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int status = command(parser);
        out = ::testing::internal::GetCapturedStdout();
        err = ::testing::internal::GetCapturedStderr();
        return status;
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    test::TempDir dir;
    std::string out;
    std::string err;
};

TEST(CliNumbers, StrictReadingOfParseNumber) {
    EXPECT_EQ(ParseNumberText("0x2bc"), 0x2BC);
    EXPECT_EQ(ParseNumberText("2BCh"), 0x2BC);
    EXPECT_EQ(ParseNumberText(" 700 "), 700);
    EXPECT_EQ(ParseNumberText("010"), 8);
    EXPECT_FALSE(ParseNumberText(""));
    EXPECT_FALSE(ParseNumberText("h"));
    EXPECT_FALSE(ParseNumberText("12x"));
    EXPECT_FALSE(ParseNumberText("0x100000000"));
}

TEST_F(DataCommands, IpsAppliesAndRefusesDamagedPatches) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 8192;
    const Bytes original = samples::MakeImage(recipe);
    const std::string image = dir.Write("GAME.z64", original);
    const Bytes patch = samples::MakeIps({{0x100, {0xFF}, 8}});
    const std::string good = dir.Write("good.ips", patch);
    const std::string cut = dir.Write("cut.ips", Bytes(patch.begin(), patch.end() - 4));

    EXPECT_EQ(Run(RunIps, {image, cut, "--backup", "0"}), 1);
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(dir.Read("GAME.z64"), original);
    Bytes junk = samples::MakeIps({});
    junk.insert(junk.end(), {1, 2, 3, 4, 5, 6}); // junk after "EOF" is no size record
    EXPECT_EQ(Run(RunIps, {image, dir.Write("junk.ips", junk), "--backup", "3"}), 1);
    EXPECT_NE(err.find("6 bytes follow its end marker \"EOF\""), std::string::npos) << err;
    EXPECT_EQ(dir.Read("GAME.z64"), original);
    EXPECT_EQ(Run(RunIps, {image, dir.Write("text.txt", samples::MakeText())}), 1);
    EXPECT_EQ(Run(RunIps, {dir.Write("x.sav", samples::MakeSavRam()), good}), 1);
    EXPECT_EQ(Run(RunIps, {image, good, "--backup", "2"}), 2);
    EXPECT_EQ(Run(RunIps, {image}), 2);
    EXPECT_EQ(dir.Read("GAME.z64"), original);

    EXPECT_EQ(Run(RunIps, {image, good}), 0);
    EXPECT_EQ(dir.Read("GAME.bak"), original); // the "Backup" default keeps it
    EXPECT_EQ(dir.Read("GAME.z64")[0x107], 0xFF);
}

TEST_F(DataCommands, MkpatchMakesEitherKindThatIpsApplies) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 65536;
    const Bytes original = samples::MakeImage(recipe);
    Bytes modified = original;
    for (std::size_t at = 0x2000; at < 0x2100; ++at) modified[at] = 0xEE;
    std::copy(original.begin() + 0x4000, original.begin() + 0x8000, modified.begin() + 0xA000); // a block copied
    modified.resize(70000, 0);
    const std::string before = dir.Write("GAME.z64", original);
    const std::string after = dir.Write("HACK.z64", modified);
    struct Case {
        std::vector<std::string> options;
        const char* out;
        const char* signature;
    };
    for (const Case& c : {Case{{}, "fix.ips", "PATCH"}, Case{{}, "fix.BPS", "BPS1"},
                          Case{{"--format", "bps"}, "fix.dat", "BPS1"}, Case{{"--format=ips"}, "fix.bps", "PATCH"},
                          Case{{"--linear"}, "linear.bps", "BPS1"}}) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {before, after, dir.File(c.out)});
        ASSERT_EQ(Run(RunMakePatch, args), 0) << c.out << err;
        const Bytes patch = dir.Read(c.out);
        EXPECT_EQ(std::string(patch.begin(), patch.begin() + std::string(c.signature).size()), c.signature);
        const std::string copy = dir.Write("COPY.z64", original);
        EXPECT_EQ(Run(RunIps, {copy, dir.File(c.out), "--backup", "0"}), 0) << err;
        EXPECT_EQ(dir.Read("COPY.z64"), modified) << c.out;
    }
    // Only the delta patch copies the block.
    EXPECT_LT(dir.Read("fix.BPS").size() * 10, dir.Read("linear.bps").size());
}

TEST_F(DataCommands, MkpatchRefusesBadArgumentsAndOtherByteOrders) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 8192;
    const std::string before = dir.Write("GAME.z64", samples::MakeImage(recipe));
    recipe.format = ImageFormat::ByteSwapped;
    const std::string swapped = dir.Write("GAME.v64", samples::MakeImage(recipe));
    EXPECT_EQ(Run(RunMakePatch, {"--format", "ups", before, before, dir.File("x.ips")}), 2);
    EXPECT_EQ(Run(RunMakePatch, {before, before}), 2);
    EXPECT_EQ(Run(RunMakePatch, {"--linear", before, before, dir.File("x.ips")}), 2);
    EXPECT_EQ(Run(RunMakePatch, {before, swapped, dir.File("x.ips")}), 1);
    EXPECT_NE(err.find("different byte orders"), std::string::npos) << err;
    EXPECT_EQ(Run(RunMakePatch, {dir.Write("text.txt", samples::MakeText()), before, dir.File("x.ips")}), 1);
    EXPECT_FALSE(dir.Exists("x.ips"));
}

TEST_F(DataCommands, BiosPrintsAsTheDialogAndWritesParsedNumbers) {
    Bytes bios = samples::MakeBios();
    bios[2] = 0x9F, bios[3] = 0x8A, bios[4] = 0x10, bios[5] = 0x08;
    const std::string path = dir.Write("DRJR.BIN", bios);
    ASSERT_EQ(Run(RunBios, {path}), 0);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Red                  0x1f", "Blue                 0xa",
                                                 "Vertical Position    0x10", "Horizontal Position  0x8"}));

    ASSERT_EQ(Run(RunBios, {path, "--green", "20h", "--blue", "0", "--vertical", "0x3", "--backup", "3"}), 0);
    const Bytes now = dir.Read("DRJR.BIN");
    for (std::size_t copy : {0u, 0x20000u}) {
        EXPECT_EQ(now[copy + 2], 0x60);
        EXPECT_EQ(now[copy + 3], 0x80);
        EXPECT_EQ(now[copy + 4], 0x03);
        EXPECT_EQ(now[copy + 5], 0x08); // not given: kept (and copied into the second copy)
    }
    EXPECT_FALSE(dir.Exists("DRJR.bak"));
    EXPECT_EQ(Lines()[0], "Green                0x20");

    EXPECT_EQ(Run(RunBios, {path, "--red", "1", "--green", "1"}), 2);
    EXPECT_EQ(Run(RunBios, {path, "--red", "128"}), 2);
    EXPECT_EQ(Run(RunBios, {path, "--vertical", "-1"}), 2);
    EXPECT_EQ(Run(RunBios, {path, "--blue", "lots"}), 2);
    EXPECT_EQ(Run(RunBios, {dir.Write("GAME.txt", samples::MakeText()), "--blue", "1"}), 1);
    EXPECT_EQ(dir.Read("DRJR.BIN"), now);
}

TEST_F(DataCommands, Dx256ListsRoomsAndWritesDescriptions) {
    const std::string path = dir.Write("MEM.dx2", samples::MakeDx256WithRooms({{1, 1}, {16, 16}}));
    ASSERT_EQ(Run(RunDx256, {path}), 0);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 257u);
    EXPECT_EQ(lines[0], "Room  Type       Description"); // the dialog's headings
    EXPECT_EQ(lines[1], "A01   EEPROM 4K  Unknown");
    EXPECT_EQ(lines[2], "A02   " + std::string(11, ' '));
    EXPECT_EQ(lines[256], "P16   EEPROM 4K  Unknown");

    ASSERT_EQ(Run(RunDx256, {path, "--describe", "a1=Grand Prix", "--describe", "P16=Last", "--json"}), 0);
    lines = Lines();
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines[0], "{\"room\":\"A01\",\"inUse\":true,\"type\":\"EEPROM 4K\",\"description\":\"Grand_Prix\"}");
    EXPECT_EQ(lines[1], "{\"room\":\"A02\",\"inUse\":false,\"type\":\"\",\"description\":\"\"}");
    const Bytes dxd = dir.Read("MEM.DXD");
    EXPECT_EQ(std::string(dxd.begin(), dxd.end()), "BankA01=Grand_Prix\r\nBankP16=Last\r\n");

    EXPECT_EQ(Run(RunDx256, {path, "--describe", "B01=x"}), 1); // not in use
    EXPECT_EQ(Run(RunDx256, {path, "--describe", "Z01=x"}), 2);
    EXPECT_EQ(Run(RunDx256, {path, "--describe", "A01"}), 2);
    EXPECT_EQ(Run(RunDx256, {dir.Write("x.txt", samples::MakeText())}), 1);
    EXPECT_EQ(dir.Read("MEM.DXD"), dxd);
}

} // namespace
} // namespace q64::cli
