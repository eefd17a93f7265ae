// Where `q64 surgeon` keeps its state between runs: $XDG_RUNTIME_DIR when it
// is private to the user, otherwise a folder of its own in the user's cache
// folder made 0700; never a folder others can reach, and never through a link.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/Cli.h"
#include "cli/StateFolder.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

using samples::Bytes;

// Sets or unsets the variables the state folder depends on for one test and
// puts the old values back afterwards.
class SurgeonState : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        ::setenv("Q64_CONFIG", root_.File("settings.ini").c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
        ::unsetenv("Q64_CONFIG");
    }
    static void Set(const char* name, const std::string& value) {
        if (value.empty()) ::unsetenv(name);
        else ::setenv(name, value.c_str(), 1);
    }
    static int Surgeon(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", "sim"});
        ArgParser parser(std::move(args));
        return CommandNamed("surgeon").run(parser);
    }
    // A folder with the given mode under the test root.
    std::string Folder(const std::string& name, mode_t mode) {
        const std::string path = root_.File(name);
        std::filesystem::create_directories(path);
        ::chmod(path.c_str(), mode);
        return path;
    }
    static mode_t ModeOf(const std::string& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }

    test::TempDir root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(SurgeonState, TheStateGoesToThePrivateFolderTheEnvironmentAllows) {
    const struct {
        const char* what;
        const char* runtime; // under the root; "" unset
        mode_t runtimeMode;
        const char* cache;   // under the root; "" unset
        const char* home;    // under the root
        const char* expected;
    } cases[] = {
        {"runtime folder", "run", 0700, "cache", "home", "run/q64-surgeon-sim"},
        {"no runtime folder", "", 0, "cache", "home", "cache/quorvel64/q64-surgeon-sim"},
        {"runtime folder open to others", "run", 0755, "cache", "home", "cache/quorvel64/q64-surgeon-sim"},
        {"no cache variable", "", 0, "", "home", "home/.cache/quorvel64/q64-surgeon-sim"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir scratch;
        const auto under = [&](const char* name) { return *name ? scratch.File(name) : std::string(); };
        if (*c.runtime) {
            std::filesystem::create_directories(under(c.runtime));
            ::chmod(under(c.runtime).c_str(), c.runtimeMode);
        }
        std::filesystem::create_directories(scratch.File(c.home));
        Set("XDG_RUNTIME_DIR", under(c.runtime));
        Set("XDG_CACHE_HOME", under(c.cache));
        Set("HOME", scratch.File(c.home));
        ASSERT_EQ(Surgeon({"pc"}), 0);
        const std::string state = scratch.File(c.expected);
        EXPECT_TRUE(std::filesystem::is_regular_file(state)) << state;
        if (std::string(c.expected).find("quorvel64") != std::string::npos) {
            EXPECT_EQ(ModeOf(std::filesystem::path(state).parent_path()), 0700u);
        }
        // The next run finds it: the adapter is under the PC's control.
        EXPECT_EQ(Surgeon({"load", scratch.Write("pak.mpk", Bytes(32768, 1))}), 0);
    }
}

TEST_F(SurgeonState, AStateFolderOthersCouldReachIsRefused) {
    Set("XDG_RUNTIME_DIR", "");
    const std::string cache = Folder("cache", 0700);
    Set("XDG_CACHE_HOME", cache);
    const std::string other = Folder("elsewhere", 0700);
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"open to the group", [&] { Folder("cache/quorvel64", 0750); }},
        {"open to everyone", [&] { Folder("cache/quorvel64", 0777); }},
        {"a link to another folder", [&] { std::filesystem::create_directory_symlink(other, cache + "/quorvel64"); }},
        {"a plain file", [&] { samples::WriteFile(cache + "/quorvel64", Bytes{1}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(cache + "/quorvel64");
        c.make();
        EXPECT_EQ(Surgeon({"pc"}), 1);
        EXPECT_TRUE(std::filesystem::is_empty(other));
        std::error_code ec;
        EXPECT_FALSE(std::filesystem::exists(cache + "/quorvel64/q64-surgeon-sim", ec));
    }
}

TEST_F(SurgeonState, APlantedLinkIsReplacedAndItsTargetLeftAlone) {
    const std::string runtime = Folder("run", 0700);
    Set("XDG_RUNTIME_DIR", runtime);
    const std::string victim = root_.Write("victim.txt", Bytes{'k', 'e', 'e', 'p'});
    ASSERT_EQ(::symlink(victim.c_str(), (runtime + "/q64-surgeon-sim").c_str()), 0);
    EXPECT_EQ(Surgeon({"pc"}), 0);
    EXPECT_EQ(root_.Read("victim.txt"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(runtime + "/q64-surgeon-sim")));
    EXPECT_EQ(Surgeon({"load", root_.Write("pak.mpk", Bytes(32768, 1))}), 0);
}

TEST_F(SurgeonState, PrivateFolderTest) {
    std::string why;
    EXPECT_TRUE(IsPrivateFolder(Folder("private", 0700), why));
    EXPECT_FALSE(IsPrivateFolder(Folder("shared", 0711), why));
    EXPECT_FALSE(IsPrivateFolder(root_.File("missing"), why));
    EXPECT_FALSE(why.empty());
}

} // namespace
} // namespace q64::cli
