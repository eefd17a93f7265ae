// q64 samples DIR never replaces anything already in DIR under a sample's name.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/Cli.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

using samples::Bytes;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

class Samples : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("Q64_CONFIG", dir_.File("settings.ini").c_str(), 1); }
    void TearDown() override { ::unsetenv("Q64_CONFIG"); }
    // Runs `q64 samples folder` and returns what it printed on stdout.
    static std::string Run(const std::string& folder, int& status) {
        ArgParser parser({folder});
        ::testing::internal::CaptureStdout();
        status = CommandNamed("samples").run(parser);
        return ::testing::internal::GetCapturedStdout();
    }
    static std::size_t Lines(const std::string& text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    test::TempDir dir_;
};

TEST_F(Samples, WhatIsInTheWayIsLeftAloneAndTheRestIsWritten) {
    const std::size_t all = samples::SampleSet().size();
    const struct {
        const char* what;
        const char* name;
        std::function<void(const std::string& path)> make;
        std::function<bool(const std::string& path)> unchanged;
    } cases[] = {
        {"the user's text", "Readme.txt", [](const std::string& p) { samples::WriteFile(p, Text("mine\n")); },
         [](const std::string& p) { return samples::ReadFile(p) == Text("mine\n"); }},
        {"an empty file", "DRJR.BIN", [](const std::string& p) { samples::WriteFile(p, {}); },
         [](const std::string& p) { return std::filesystem::file_size(p) == 0; }},
        {"a link to another file", "Unknown.dat",
         [this](const std::string& p) {
             samples::WriteFile(dir_.File("target.txt"), Text("target\n"));
             std::filesystem::create_symlink(dir_.File("target.txt"), p);
         },
         [this](const std::string& p) {
             return std::filesystem::is_symlink(p) && samples::ReadFile(dir_.File("target.txt")) == Text("target\n");
         }},
        {"a dangling link", "Sample Racer.sav",
         [](const std::string& p) { std::filesystem::create_symlink("nowhere", p); },
         [](const std::string& p) { return std::filesystem::is_symlink(p) && !std::filesystem::exists(p); }},
        {"a folder", "Sample Fix.ips", [](const std::string& p) { std::filesystem::create_directory(p); },
         [](const std::string& p) { return std::filesystem::is_directory(p); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = dir_.File(std::string("set-") + c.name);
        std::filesystem::create_directories(folder);
        c.make(folder + "/" + c.name);
        int status = -1;
        const std::string out = Run(folder, status);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(c.unchanged(folder + "/" + c.name));
        EXPECT_EQ(Lines(out), all - 1) << out;
        EXPECT_EQ(out.find("/" + std::string(c.name) + "\n"), std::string::npos) << out;
    }
}

TEST_F(Samples, ASecondRunWritesNothing) {
    const std::string folder = dir_.File("set");
    int status = -1;
    EXPECT_EQ(Lines(Run(folder, status)), samples::SampleSet().size());
    EXPECT_EQ(status, 0);
    samples::WriteFile(folder + "/Readme.txt", Text("edited by the user\n"));
    EXPECT_EQ(Run(folder, status), "");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(samples::ReadFile(folder + "/Readme.txt"), Text("edited by the user\n"));
    // Every name is still listed for the fixtures that read the set.
    EXPECT_EQ(samples::WriteSampleSet(folder).size(), samples::SampleSet().size());
}

TEST_F(Samples, AFolderThatTakesNoFilesFails) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
    const std::string folder = dir_.File("locked");
    std::filesystem::create_directory(folder);
    ::chmod(folder.c_str(), 0555);
    int status = -1;
    EXPECT_EQ(Run(folder, status), "");
    EXPECT_EQ(status, 1);
    ::chmod(folder.c_str(), 0755);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

} // namespace
} // namespace q64::cli
