// q64 send / receive / surgeon driven through their entry points against the
// simulated units, with a settings file of their own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "cli/Cli.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64::test {
namespace {

using samples::Bytes;

class TransferCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("Q64_CONFIG", dir.File("settings.ini").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("Q64_CONFIG");
        ::unsetenv("XDG_RUNTIME_DIR");
    }

    int Run(int (*command)(cli::ArgParser&), std::vector<std::string> args) {
        cli::ArgParser parser(std::move(args));
        return command(parser);
    }
    std::string Image(const std::string& name, std::size_t size = 20000) {
        samples::ImageRecipe recipe;
        recipe.sizeBytes = size;
        return dir.Write(name, samples::MakeImage(recipe));
    }

    TempDir dir;
    TempDir runtime;
};

TEST_F(TransferCommands, SendReachesEverySimulatedUnit) {
    const std::string file = Image("a.z64");
    for (const char* unit : {"v64", "sp64", "cd64"})
        EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", unit, file}), 0) << unit;
}

TEST_F(TransferCommands, SendWritesTheTraceInTheAgreedFormat) {
    const std::string file = Image("a.z64", 256);
    const std::string trace = dir.File("t.txt");
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--trace", trace, file}), 0);
    const Bytes text = dir.Read("t.txt");
    ASSERT_GT(text.size(), 10u);
    EXPECT_EQ(std::string(text.begin(), text.begin() + 10), "W 037a 04\n");
}

TEST_F(TransferCommands, FailedSendsExitNonZero) {
    const std::string file = Image("a.z64");
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--sim-fault", "stall", file}), 1);
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "cd64", "--sim-fault", "checksum", file}), 1);
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--sim-fault", "silent", "--sync-timeout", "0", file}), 1);
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "sp64", dir.Write("b.bin", samples::MakeBios())}), 1);
}

TEST_F(TransferCommands, ReceiveReplacesTheTargetOnlyOnSuccess) {
    const std::string held = Image("held.z64", 30000);
    const Bytes old = {1, 2, 3};
    const std::string target = dir.Write("t.z64", old);
    EXPECT_EQ(Run(cli::RunReceive, {"--port", "sim", "--sim-fault", "stall", "--sim-image", held, target}), 1);
    EXPECT_TRUE(dir.Read("t.z64") == old);
    EXPECT_EQ(Run(cli::RunReceive, {"--port", "sim", "--wiring", "1", "--sim-image", held, target}), 0);
    EXPECT_TRUE(dir.Read("t.z64") == dir.Read("held.z64"));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"held.z64", "t.z64"}));
}

TEST_F(TransferCommands, BadOptionsAreUsageErrors) {
    const std::string file = Image("a.z64");
    EXPECT_EQ(Run(cli::RunSend, {"--unit", "zip", file}), 2);
    EXPECT_EQ(Run(cli::RunSend, {"--port", "/dev/parport9", file}), 2);
    EXPECT_EQ(Run(cli::RunSend, {"--sim-fault", "stall", file}), 2); // needs --port sim
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--sim-fault", "checksum", file}), 2); // CD64 only
    EXPECT_EQ(Run(cli::RunReceive, {"--port", "sim", "--mbit", "100", file}), 2);
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "load"}), 2);
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "dance"}), 2);
}

TEST_F(TransferCommands, SurgeonLoadAndSaveThroughTheSimulatedAdapter) {
    const std::string pak = Image("pak.sav", 32768);
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "load", pak}), 1); // the console has control
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "pc"}), 0);
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "load", pak}), 0);
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "--sim-image", pak, "save", dir.File("out.sav")}), 0);
    EXPECT_TRUE(dir.Read("out.sav") == dir.Read("pak.sav"));
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "load", dir.Write("short.sav", Bytes(100, 0))}), 1);
}

TEST_F(TransferCommands, SurgeonShadowCarriesOverBetweenRuns) {
    const std::string trace = dir.File("t.txt");
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "pc"}), 0);
    EXPECT_EQ(Run(cli::RunSurgeon, {"--port", "sim", "--trace", trace, "console"}), 0);
    const Bytes text = dir.Read("t.txt");
    EXPECT_EQ(std::string(text.begin(), text.end()), "W 0300 76\nW 0300 74\nW 0300 74\n");
}

TEST_F(TransferCommands, TheSummerCart64RunsThroughEveryCommand) {
    const std::string file = Image("a.v64", 65536);
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "sc64", "--save-type", "sram256k", file}), 0);
    EXPECT_EQ(Run(cli::RunReceive, {"--port", "sim", "--unit", "sc64", "--mbit", "1", dir.File("r.z64")}), 0);
    EXPECT_EQ(dir.Read("r.z64").size(), 131072u);
    EXPECT_EQ(Run(cli::RunSc64, {"--port", "sim", "info"}), 0);
    const std::string save = dir.Write("in.eep", Bytes(2048, 0x42));
    EXPECT_EQ(Run(cli::RunSc64, {"--port", "sim", "--save-type", "eeprom16k", "save-restore", save}), 0);
    EXPECT_EQ(Run(cli::RunSc64, {"--port", "sim", "--save-type", "eeprom16k", "save-backup", dir.File("out.eep")}), 0);
    EXPECT_EQ(dir.Read("out.eep").size(), 2048u);
    // The simulated cart starts with no save type: a backup without one says so.
    EXPECT_EQ(Run(cli::RunSc64, {"--port", "sim", "save-backup", dir.File("none.sav")}), 1);
    EXPECT_FALSE(dir.Exists("none.sav"));
}

// The options a send to the cart takes, what they do, and the ones refused.
struct Sc64SendCase {
    const char* name;
    std::vector<std::string> options;
    int status;
};

TEST_F(TransferCommands, TheSummerCart64SendOptions) {
    const std::string file = Image("a.z64", 65536);
    const std::string database = dir.Write("db.ini", Bytes{'[', 'x', ']', '\n'});
    const Sc64SendCase cases[] = {
        {"TV forced, boot through the bootloader", {"--tv", "ntsc", "--boot-mode", "1"}, 0},
        {"the menu", {"--boot-mode", "0"}, 0},
        {"direct boot", {"--boot-mode", "3"}, 0},
        {"a ROM database named", {"--rom-db", database}, 0},
        {"a cart that clogs", {"--sim-fault", "clog"}, 0},
        {"a cart on firmware 2.18", {"--sim-version", "2.18.0"}, 1},
        {"TV forced with direct boot", {"--tv", "pal", "--boot-mode", "3"}, 1},
        {"a ROM database that is not there: said, and the send goes on", {"--rom-db", dir.File("none.ini")}, 0},
        {"boot mode 2 needs a 64DD IPL", {"--boot-mode", "2"}, 2},
        {"boot mode 4 needs a 64DD IPL", {"--boot-mode", "4"}, 2},
        {"no such TV type", {"--tv", "secam"}, 2},
        {"FakeFlashRAM is the cart's own", {"--save-type", "fakeflashram"}, 2},
        {"a version without --port sim", {"--sim-version", "2.20.0", "--device", "/dev/null"}, 2},
    };
    for (const Sc64SendCase& c : cases) {
        std::vector<std::string> args = {"--unit", "sc64"};
        if (std::find(c.options.begin(), c.options.end(), "--device") == c.options.end())
            args.insert(args.end(), {"--port", "sim"});
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(file);
        EXPECT_EQ(Run(cli::RunSend, args), c.status) << c.name;
    }
}

TEST_F(TransferCommands, TheSummerCart64TraceShowsTheByteStream) {
    const std::string file = Image("a.z64", 4096);
    const std::string trace = dir.File("t.txt");
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "sc64", "--trace", trace, file}), 0);
    const Bytes text = dir.Read("t.txt");
    const std::string head = "RESET\nTX 43 4d 44 76 00 00 00 00 00 00 00 00\nRX 43 4d 50 76 00 00 00 04\n";
    ASSERT_GT(text.size(), head.size());
    EXPECT_EQ(std::string(text.begin(), text.begin() + static_cast<long>(head.size())), head);
}

TEST_F(TransferCommands, TheSummerCart64FailuresExitNonZeroAndKeepTheTarget) {
    const std::string file = Image("a.z64", 65536);
    for (const char* fault : {"silent", "stall", "refuse"}) {
        EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "sc64", "--sim-fault", fault, file}), 1) << fault;
        dir.Write("keep.z64", Bytes{7});
        EXPECT_EQ(Run(cli::RunReceive, {"--port", "sim", "--unit", "sc64", "--sim-fault", fault, "--mbit", "1",
                                        dir.File("keep.z64")}),
                  1)
            << fault;
        EXPECT_EQ(dir.Read("keep.z64"), Bytes{7});
    }
    EXPECT_EQ(Run(cli::RunSend, {"--unit", "sc64", "--device", dir.File("no-such-tty"), file}), 1);
    EXPECT_EQ(Run(cli::RunSc64, {"--port", "sim", "--sim-fault", "silent", "info"}), 0); // no data command
    EXPECT_EQ(Run(cli::RunSc64, {"--port", "sim", "--sim-fault", "refuse", "--save-type", "sram1m", "save-backup",
                                 dir.File("x.sav")}),
              1);
    EXPECT_EQ(Run(cli::RunSc64, {"--port", "sim", "--sim-fault", "checksum", "info"}), 2);
    EXPECT_EQ(Run(cli::RunSc64, {"--port", "sim", "erase"}), 2);
}

TEST_F(TransferCommands, TheEverDrive64RunsThroughEveryCommandAndTracesItsStream) {
    const std::string file = Image("a.v64", 65536);
    const std::string trace = dir.File("t.txt");
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "ed64", "--save-type", "sram256k", "--trace", trace, file}),
              0);
    const Bytes text = dir.Read("t.txt");
    const std::string head = "TX 63 6d 64 74 00 00 00 00 00 00 00 00 00 00 00 00\n"
                             "RX 63 6d 64 72 00 00 00 00 00 00 00 00 00 00 00 00\n";
    ASSERT_GT(text.size(), head.size());
    EXPECT_EQ(std::string(text.begin(), text.begin() + static_cast<long>(head.size())), head);
    EXPECT_EQ(Run(cli::RunReceive, {"--port", "sim", "--unit", "ed64", "--mbit", "1", dir.File("r.z64")}), 0);
    EXPECT_EQ(dir.Read("r.z64").size(), 131072u);
    EXPECT_EQ(Run(cli::RunEd64, {"--port", "sim", "info"}), 0);
    for (const char* fault : {"silent", "stall", "refuse"})
        EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "ed64", "--sim-fault", fault, file}), 1) << fault;
    for (const char* fault : {"silent", "refuse"}) {
        dir.Write("keep.z64", Bytes{7});
        EXPECT_EQ(Run(cli::RunReceive, {"--port", "sim", "--unit", "ed64", "--sim-fault", fault, "--mbit", "1",
                                        dir.File("keep.z64")}),
                  1)
            << fault;
        EXPECT_EQ(dir.Read("keep.z64"), Bytes{7});
    }
    EXPECT_EQ(Run(cli::RunEd64, {"--port", "sim", "--sim-fault", "refuse", "info"}), 1);
    EXPECT_EQ(Run(cli::RunSend, {"--unit", "ed64", "--device", dir.File("no-such-tty"), file}), 1);
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "ed64", "--save-type", "fakeflashram", file}), 2);
    EXPECT_EQ(Run(cli::RunSend, {"--port", "sim", "--unit", "ed64", "--sim-fault", "checksum", file}), 2);
    EXPECT_EQ(Run(cli::RunEd64, {"--port", "sim", "erase"}), 2);
}

} // namespace
} // namespace q64::test
