// q64 report: settings defaults, options, exit status and the written file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "cli/Cli.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

class ReportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("Q64_CONFIG", config.File("settings.ini").c_str(), 1);
        samples::ImageRecipe usa;
        usa.title = "USA GAME";
        usa.sizeBytes = 131072;
        samples::ImageRecipe jap = usa;
        jap.title = "JAP GAME";
        jap.territory = 'J';
        dir.Write("usa.z64", samples::MakeImage(usa));
        dir.Write("jap.z64", samples::MakeImage(jap));
        dir.Write(".hidden.ips", samples::MakeIps({}));
    }
    void WriteSettings(const std::string& lines) {
        std::ofstream(config.File("settings.ini")) << "[Initialization]\n" << lines;
    }
    int Run(std::vector<std::string> args) {
        ArgParser parser(std::move(args));
        ::testing::internal::CaptureStderr();
        const int status = RunReport(parser);
        err = ::testing::internal::GetCapturedStderr();
        return status;
    }
    // Titles in the written report, sorted.
    std::vector<std::string> Titles(const std::string& name) {
        const samples::Bytes bytes = out.Read(name);
        const std::string text(bytes.begin(), bytes.end());
        std::vector<std::string> titles;
        const std::string key = "Rom Title:";
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
            std::string t = text.substr(at + key.size(), 20);
            t.erase(t.find_last_not_of(' ') + 1);
            titles.push_back(t);
        }
        std::sort(titles.begin(), titles.end());
        return titles;
    }

    test::TempDir config;
    test::TempDir dir;
    test::TempDir out;
    std::string err;
};

TEST_F(ReportCommand, WritesEveryRecognisedFileByDefault) {
    EXPECT_EQ(Run({dir.Path(), out.File("list.txt")}), 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(Titles("list.txt"), (std::vector<std::string>{"JAP GAME", "USA GAME"}));
}

TEST_F(ReportCommand, FilterAndHiddenFromOptionsOrSettings) {
    EXPECT_EQ(Run({"--filter", "5", dir.Path(), out.File("a.txt")}), 0);
    EXPECT_EQ(Titles("a.txt"), (std::vector<std::string>{"JAP GAME"}));
    EXPECT_EQ(Run({"--hidden", "--filter=7", dir.Path(), out.File("b.txt")}), 0);
    EXPECT_EQ(Titles("b.txt"), (std::vector<std::string>{"IPS Patch File"}));
    WriteSettings("ListType=4\nHidden=1\n");
    EXPECT_EQ(Run({dir.Path(), out.File("c.txt")}), 0);
    EXPECT_EQ(Titles("c.txt"), (std::vector<std::string>{"USA GAME"}));
    WriteSettings("PreviewDir=0\n");
    EXPECT_EQ(Run({dir.Path(), out.File("d.txt")}), 0);
    EXPECT_TRUE(out.Exists("d.txt"));
    EXPECT_TRUE(out.Read("d.txt").empty());
}

TEST_F(ReportCommand, BadArgumentsAndFailuresExitNonZero) {
    EXPECT_EQ(Run({"--filter", "10", dir.Path(), out.File("x.txt")}), 2);
    EXPECT_EQ(Run({dir.Path()}), 2);
    EXPECT_EQ(Run({"--bogus", dir.Path(), out.File("x.txt")}), 2);
    EXPECT_EQ(Run({dir.File("usa.z64"), out.File("x.txt")}), 1);
    EXPECT_NE(err.find("is not a folder"), std::string::npos);
    EXPECT_EQ(Run({dir.Path(), out.File("missing/x.txt")}), 1);
    EXPECT_NE(err.find("q64 report: Unable to Write ROM List"), std::string::npos) << err;
    EXPECT_TRUE(out.Names().empty());
}

} // namespace
} // namespace q64::cli
