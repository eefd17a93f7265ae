// SIGINT, SIGTERM and SIGHUP while q64 runs a change or a transfer: the change
// is cancelled as the Cancel button would, the file stays as it was, and the
// exit status is 128 + the signal number. The signal is raised for real, from
// inside the progress callback, so the handler q64 installs is the one that
// catches it.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

using samples::Bytes;

struct SignalCase {
    int signal;
    int status;
};
constexpr SignalCase kSignals[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};

class Interrupt : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string text = "[Initialization]\nBackup=0\nCompress=6\n";
        samples::WriteFile(settings_.File("settings.ini"), Bytes(text.begin(), text.end()));
        ::setenv("Q64_CONFIG", settings_.File("settings.ini").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", settings_.Path().c_str(), 1);
    }
    void TearDown() override {
        RaiseDuringProgressForTesting(0, 0);
        ::unsetenv("Q64_CONFIG");
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    static int Run(const char* name, std::vector<std::string> args) {
        ArgParser parser(std::move(args));
        return CommandNamed(name).run(parser);
    }
    static Bytes Image(std::size_t size = 600000) {
        samples::ImageRecipe recipe;
        recipe.sizeBytes = size;
        return samples::MakeImage(recipe);
    }

    test::TempDir settings_;
};

struct ChangeCase {
    const char* command;
    std::vector<std::string> extra; // arguments after FILE
    bool compressed;                // the file given is a compressed image
};

TEST_F(Interrupt, ASignalCancelsAChangeAndLeavesTheFileAsItWas) {
    const ChangeCase changes[] = {
        {"compress", {}, false},
        {"decompress", {}, true},
        {"flip", {}, false},
        {"resize", {"16"}, false},
    };
    for (const ChangeCase& change : changes) {
        for (const SignalCase& s : kSignals) {
            SCOPED_TRACE(std::string(change.command) + " " + strsignal(s.signal));
            test::TempDir dir;
            samples::ImageRecipe recipe;
            recipe.sizeBytes = 600000;
            const Bytes before = change.compressed ? samples::MakeCompressedImage(recipe) : Image();
            const std::string path = dir.Write("game.z64", before);
            std::vector<std::string> args{path};
            args.insert(args.end(), change.extra.begin(), change.extra.end());
            RaiseDuringProgressForTesting(s.signal, 50);
            EXPECT_EQ(Run(change.command, args), s.status);
            EXPECT_EQ(dir.Read("game.z64"), before);
            EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
        }
    }
}

TEST_F(Interrupt, ASignalStopsMakingAPatchAndWritesNothing) {
    test::TempDir dir;
    const Bytes original = Image();
    Bytes modified = original;
    for (std::size_t at = 0x1000; at < modified.size(); at += 0x3000) modified[at] ^= 0x5A;
    dir.Write("game.z64", original);
    dir.Write("hack.z64", modified);
    for (const char* out : {"fix.bps", "fix.ips"}) {
        RaiseDuringProgressForTesting(SIGINT, 0);
        EXPECT_EQ(Run("mkpatch", {dir.File("game.z64"), dir.File("hack.z64"), dir.File(out)}), 130) << out;
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"game.z64", "hack.z64"}));
}

TEST_F(Interrupt, ASignalCancelsAReceiveAndLeavesTheTargetAsItWas) {
    for (const bool existing : {false, true}) {
        for (const SignalCase& s : kSignals) {
            SCOPED_TRACE(std::string(strsignal(s.signal)) + (existing ? ", existing target" : ", new target"));
            test::TempDir dir;
            const Bytes before = Image(5000);
            if (existing) dir.Write("got.v64", before);
            RaiseDuringProgressForTesting(s.signal, 30);
            EXPECT_EQ(Run("receive", {"--port", "sim", dir.File("got.v64")}), s.status);
            EXPECT_EQ(dir.Names(), existing ? std::vector<std::string>{"got.v64"} : std::vector<std::string>{});
            if (existing) {
                EXPECT_EQ(dir.Read("got.v64"), before);
            }
        }
    }
}

TEST_F(Interrupt, ASignalCancelsASend) {
    test::TempDir dir;
    const std::string path = dir.Write("game.z64", Image(200000));
    RaiseDuringProgressForTesting(SIGINT, 30);
    EXPECT_EQ(Run("send", {"--port", "sim", path}), 130);
}

TEST_F(Interrupt, WithoutASignalTheChangeRunsAndTheHandlersArePutBack) {
    test::TempDir dir;
    const std::string path = dir.Write("game.z64", Image());
    struct sigaction before {};
    sigaction(SIGHUP, nullptr, &before);
    EXPECT_EQ(Run("compress", {path}), 0);
    EXPECT_EQ(Run("decompress", {path}), 0);
    EXPECT_EQ(dir.Read("game.z64"), Image());
    struct sigaction after {};
    sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    EXPECT_EQ(InterruptSignal(), 0);
}

} // namespace
} // namespace q64::cli
