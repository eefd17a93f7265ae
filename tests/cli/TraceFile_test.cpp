// --trace FILE: never the file being sent, received, loaded or saved (by any
// name: the same path, a hard link, a symbolic link, a path spelled another
// way), and never an existing file that is not a trace.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "cli/Cli.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"
#include "transfer/TracingPortBackend.h"
#include "transfer/TracingStream.h"

namespace q64::cli {
namespace {

using samples::Bytes;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

class TraceFile : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("Q64_CONFIG", settings_.File("settings.ini").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", settings_.Path().c_str(), 1);
        samples::ImageRecipe recipe;
        recipe.sizeBytes = 4096;
        image_ = samples::MakeImage(recipe);
        imagePath_ = dir_.Write("game.z64", image_);
    }
    void TearDown() override {
        ::unsetenv("Q64_CONFIG");
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    static int Run(const char* name, std::vector<std::string> args) {
        ArgParser parser(std::move(args));
        return CommandNamed(name).run(parser);
    }

    test::TempDir settings_;
    test::TempDir dir_;
    Bytes image_;
    std::string imagePath_;
};

TEST_F(TraceFile, SendRefusesATraceThatIsTheImageByAnyName) {
    ASSERT_EQ(::link(imagePath_.c_str(), dir_.File("hard.z64").c_str()), 0);
    ASSERT_EQ(::symlink("game.z64", dir_.File("soft.z64").c_str()), 0);
    std::filesystem::create_directory(dir_.File("sub"));
    const std::string names[] = {imagePath_, dir_.File("hard.z64"), dir_.File("soft.z64"),
                                 dir_.File("sub/../game.z64")};
    for (const std::string& trace : names) {
        SCOPED_TRACE(trace);
        EXPECT_EQ(Run("send", {"--port", "sim", "--trace", trace, imagePath_}), 1);
        EXPECT_EQ(dir_.Read("game.z64"), image_);
    }
}

TEST_F(TraceFile, ReceiveRefusesATraceThatIsTheTargetOrTheSimulatedImage) {
    const std::string simImage = dir_.Write("held.v64", image_);
    const struct {
        std::string trace;
        std::string target;
    } cases[] = {
        {dir_.File("new.z64"), dir_.File("new.z64")},                 // neither exists yet
        {dir_.File("sub/../new.z64"), dir_.File("new.z64")},          // another spelling
        {imagePath_, imagePath_},                                     // an existing target
        {simImage, dir_.File("other.z64")},                           // what the unit holds
    };
    std::filesystem::create_directory(dir_.File("sub"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trace + " -> " + c.target);
        EXPECT_EQ(Run("receive", {"--port", "sim", "--sim-image", simImage, "--trace", c.trace, c.target}), 1);
        EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"game.z64", "held.v64", "sub"}));
        EXPECT_EQ(dir_.Read("game.z64"), image_);
        EXPECT_EQ(dir_.Read("held.v64"), image_);
    }
}

TEST_F(TraceFile, AnExistingFileIsReplacedOnlyWhenItIsATrace) {
    const struct {
        const char* name;
        std::string content;
        bool written;
    } cases[] = {
        {"old-trace.txt", "W 037a 04\nR 0379 80\n", true},
        {"read-first.txt", "R 0379 80\n", true},
        {"empty.txt", "", true},
        {"notes.txt", "my notes\n", false},
        {"upper-hex.txt", "W 037A 04\n", false},
        {"cut-line.txt", "W 037a 0", false},
        {"no-newline.txt", "W 037a 04 and more", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string trace = dir_.Write(c.name, Text(c.content));
        EXPECT_EQ(Run("send", {"--port", "sim", "--trace", trace, imagePath_}), c.written ? 0 : 1);
        const Bytes after = dir_.Read(c.name);
        if (c.written) {
            ASSERT_GE(after.size(), 10u);
            EXPECT_EQ(std::string(after.begin(), after.begin() + 10), "W 037a 04\n");
        } else {
            EXPECT_EQ(after, Text(c.content));
        }
    }
}

TEST_F(TraceFile, LinksFoldersAndPipesWithoutAReaderAreRefused) {
    const std::string trace = dir_.Write("old-trace.txt", Text("W 037a 04\n"));
    ASSERT_EQ(::symlink("old-trace.txt", dir_.File("link.txt").c_str()), 0);
    std::filesystem::create_directory(dir_.File("folder"));
    ASSERT_EQ(::mkfifo(dir_.File("pipe").c_str(), 0600), 0);
    for (const char* name : {"link.txt", "folder", "pipe"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Run("send", {"--port", "sim", "--trace", dir_.File(name), imagePath_}), 1);
    }
    EXPECT_EQ(dir_.Read("old-trace.txt"), Text("W 037a 04\n"));
}

TEST_F(TraceFile, ANewFileOrADeviceIsWritten) {
    EXPECT_EQ(Run("send", {"--port", "sim", "--trace", dir_.File("new-trace.txt"), imagePath_}), 0);
    const Bytes trace = dir_.Read("new-trace.txt");
    EXPECT_TRUE(StartsWithTraceLine(std::string(trace.begin(), trace.end())));
    EXPECT_EQ(Run("send", {"--port", "sim", "--trace", "/dev/null", imagePath_}), 0);
}

TEST_F(TraceFile, SurgeonRefusesATraceThatIsThePakFile) {
    const std::string pak = dir_.Write("pak.mpk", Bytes(32768, 0x11));
    ASSERT_EQ(Run("surgeon", {"--port", "sim", "pc"}), 0);
    EXPECT_EQ(Run("surgeon", {"--port", "sim", "--trace", pak, "load", pak}), 1);
    EXPECT_EQ(Run("surgeon", {"--port", "sim", "--trace", pak, "save", pak}), 1);
    EXPECT_EQ(dir_.Read("pak.mpk"), Bytes(32768, 0x11));
}

TEST_F(TraceFile, TheSummerCart64StreamTraceFollowsTheSameRules) {
    const std::string streamTrace = dir_.Write("stream.txt", Text("TX 43 4d 44 76\nRX 00\n"));
    const std::string notes = dir_.Write("notes.txt", Text("my notes\n"));
    ASSERT_EQ(::symlink("stream.txt", dir_.File("link.txt").c_str()), 0);
    const struct {
        std::string trace;
        int status;
    } cases[] = {
        {imagePath_, 1}, {notes, 1}, {dir_.File("link.txt"), 1}, {streamTrace, 0}, {dir_.File("new.txt"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trace);
        EXPECT_EQ(Run("send", {"--port", "sim", "--unit", "sc64", "--trace", c.trace, imagePath_}), c.status);
        EXPECT_EQ(dir_.Read("game.z64"), image_);
        EXPECT_EQ(dir_.Read("notes.txt"), Text("my notes\n"));
    }
    EXPECT_EQ(Run("receive", {"--port", "sim", "--unit", "sc64", "--mbit", "1", "--trace", dir_.File("r.z64"),
                              dir_.File("r.z64")}),
              1);
    EXPECT_FALSE(dir_.Exists("r.z64"));
}

TEST(TraceLines, TheFirstLineTellsATraceFromAnyOtherFile) {
    const struct {
        const char* head;
        bool port;
        bool stream;
    } cases[] = {
        {"W 037a 04\n", true, false},  {"R 0379 80\nW", true, false}, {"W 037A 04\n", false, false},
        {"X 037a 04\n", false, false}, {"W 037a 04", false, false},    {"TX 43 4d\n", false, true},
        {"RX 00\n", false, true},      {"RESET\n", false, true},       {"TX 43 4", false, true},
        {"TX\n", false, false},        {"TX 4G\n", false, false},      {"hello\n", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(StartsWithTraceLine(c.head), c.port);
        EXPECT_EQ(StartsWithStreamTraceLine(c.head), c.stream);
    }
}

} // namespace
} // namespace q64::cli
