// q64 dx256 room changes, q64 mempak and q64 save convert on files built here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "engine/Dx256File.h"
#include "engine/MemoryPak.h"
#include "engine/SaveConversion.h"
#include "support/TempDir.h"

namespace q64::cli {
namespace {

using samples::Bytes;

class SaveCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("Q64_CONFIG", dir.File("settings.ini").c_str(), 1); }
    int Run(int (*command)(ArgParser&), std::vector<std::string> args) {
        ArgParser parser(std::move(args));
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int status = command(parser);
        out = ::testing::internal::GetCapturedStdout();
        err = ::testing::internal::GetCapturedStderr();
        return status;
    }
    bool Says(const std::string& text) const {
        return out.find(text) != std::string::npos || err.find(text) != std::string::npos;
    }

    test::TempDir dir;
    std::string out;
    std::string err;
};

TEST_F(SaveCommandsTest, Dx256RoomsAreExportedImportedMovedAndCleared) {
    const std::string dx = dir.Write("MEM.dx2", samples::MakeDx256WithRooms({{1, 1}, {2, 2}}));
    Dx256Image before;
    ASSERT_EQ(before.LoadDx256(dx), Dx256LoadResult::Loaded);

    ASSERT_EQ(Run(RunDx256, {dx, "--export", "A01", dir.File("a01.sav")}), 0) << err;
    EXPECT_EQ(dir.Read("a01.sav"), before.RoomData(1, 1));
    EXPECT_EQ(Run(RunDx256, {dx, "--export", "A01", dir.File("a01.sav")}), 1); // never over a file
    EXPECT_TRUE(Says("already exists"));
    EXPECT_EQ(Run(RunDx256, {dx, "--export", "C03", dir.File("c03.sav")}), 1); // empty room

    EXPECT_EQ(Run(RunDx256, {dx, "--import", "B02", dir.File("a01.sav")}), 1); // in use
    EXPECT_TRUE(Says("--force"));
    ASSERT_EQ(Run(RunDx256, {dx, "--import", "c3", dir.File("a01.sav")}), 0) << err;
    ASSERT_EQ(Run(RunDx256, {dx, "--move", "A01", "P16", "--backup", "1"}), 0) << err;
    EXPECT_TRUE(dir.Exists("MEM.bak"));
    ASSERT_EQ(Run(RunDx256, {dx, "--clear", "B02"}), 0) << err;
    EXPECT_EQ(Run(RunDx256, {dx, "--move", "A01", "Q01"}), 2);
    EXPECT_EQ(Run(RunDx256, {dx, "--import", "A01", dir.Write("short.sav", Bytes(100, 1))}), 1);

    Dx256Image after;
    ASSERT_EQ(after.LoadDx256(dx), Dx256LoadResult::Loaded);
    EXPECT_EQ(after.RoomData(3, 3), before.RoomData(1, 1));
    EXPECT_EQ(after.RoomData(16, 16), before.RoomData(1, 1));
    EXPECT_FALSE(after.IsRoomInUse(1, 1));
    EXPECT_FALSE(after.IsRoomInUse(2, 2));
}

TEST_F(SaveCommandsTest, MempakListsChangesChecksAndRepairs) {
    const std::string pak = dir.Write("game.sav", samples::MakeMemoryPak(2, 3));
    ASSERT_EQ(Run(RunMempak, {"list", "--json", pak}), 0) << err;
    EXPECT_NE(out.find("\"freePages\":117"), std::string::npos) << out;
    EXPECT_NE(out.find("{\"index\":2,\"gameCode\":\"NQSB\",\"publisher\":\"01\",\"name\":\"NOTE 2\",\"extension\":\"\","
                       "\"pages\":3}"),
              std::string::npos)
        << out;

    ASSERT_EQ(Run(RunMempak, {"export", pak, "1", dir.File("one.note")}), 0) << err;
    ASSERT_EQ(Run(RunMempak, {"delete", pak, "1"}), 0) << err;
    ASSERT_EQ(Run(RunMempak, {"rename", pak, "2", "ホーム 2"}), 1); // "ー" is no pak character
    ASSERT_EQ(Run(RunMempak, {"rename", pak, "2", "ホ-ム 2"}), 0) << err;
    ASSERT_EQ(Run(RunMempak, {"import", pak, dir.File("one.note")}), 0) << err;
    EXPECT_TRUE(Says("imported as note 1"));
    ASSERT_EQ(Run(RunMempak, {"list", pak}), 0);
    EXPECT_TRUE(Says("ホ-ム 2"));
    EXPECT_TRUE(Says("Free Pages: 117 of 123"));
    EXPECT_EQ(Run(RunMempak, {"export", pak, "17", dir.File("x.note")}), 2);

    // A crossed chain: note 2's second page leads into note 1.
    Bytes damaged = dir.Read("game.sav");
    for (std::size_t table : {mempak::kIndexTable, mempak::kIndexBackup}) {
        damaged[table + 2 * 9 + 1] = 5;
        damaged[table + 1] = IndexTableChecksum(damaged.data() + table);
    }
    dir.Write("game.sav", damaged);
    EXPECT_EQ(Run(RunMempak, {"check", pak}), 1);
    EXPECT_TRUE(Says("runs into page 5 of note"));
    ASSERT_EQ(Run(RunMempak, {"repair", pak}), 0) << err;
    EXPECT_TRUE(Says("the note was removed"));
    EXPECT_EQ(Run(RunMempak, {"check", pak}), 0);
    EXPECT_TRUE(Says("sound, notes: 1"));

    EXPECT_EQ(Run(RunMempak, {"format", pak}), 1); // it holds a note
    EXPECT_EQ(Run(RunMempak, {"format", dir.File("blank.mpk")}), 0);
    EXPECT_FALSE(InspectPak(dir.Read("blank.mpk")).Damaged());
    EXPECT_EQ(Run(RunMempak, {"format", dir.Write("notes.txt", samples::MakeText())}), 1);
    EXPECT_EQ(Run(RunMempak, {"list", dir.File("notes.txt")}), 1);

    // A 32 KiB SRAM save given by mistake: no ID copy is sound, so nothing
    // that writes touches it without --force.
    Bytes sram(mempak::kSize);
    for (std::size_t i = 0; i < sram.size(); ++i) sram[i] = static_cast<std::uint8_t>(i * 7 + 1);
    const std::string save = dir.Write("game.sra", sram);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"repair", save}, {"format", save}, {"delete", save, "1"}, {"import", save, dir.File("one.note")}}) {
        EXPECT_EQ(Run(RunMempak, args), 1) << args[0];
        EXPECT_TRUE(Says("--force")) << args[0] << ": " << err;
    }
    EXPECT_EQ(dir.Read("game.sra"), sram);
    EXPECT_EQ(Run(RunMempak, {"repair", "--force", save}), 0) << err;
}

TEST_F(SaveCommandsTest, SaveConvertTakesFormatsFromNamesAndRefusesLosses) {
    Bytes eep(2048, 0);
    eep[0] = 1;
    eep[1500] = 2;
    const std::string in = dir.Write("game.eep", eep);
    ASSERT_EQ(Run(RunSave, {"convert", in, dir.File("retro.srm")}), 0) << err;
    EXPECT_TRUE(Says("(eep16k)"));
    ASSERT_EQ(Run(RunSave, {"convert", "--to", "eep4k", dir.File("retro.srm"), dir.File("small.eep")}), 1);
    EXPECT_TRUE(Says("bytes 512..2047"));
    EXPECT_FALSE(dir.Exists("small.eep"));
    ASSERT_EQ(Run(RunSave, {"convert", "--force", "--to", "eep4k", dir.File("retro.srm"), dir.File("small.eep")}), 0);
    EXPECT_EQ(dir.Read("small.eep").size(), 512u);

    const std::string pak = dir.Write("pak.mpk", samples::MakeMemoryPak(1, 2));
    ASSERT_EQ(Run(RunSave, {"convert", "--pak", "2", pak, dir.File("retro.srm")}), 0) << err;
    EXPECT_TRUE(Says("updated"));
    ASSERT_EQ(Run(RunSave, {"convert", "--pak", "2", dir.File("retro.srm"), dir.File("back.mpk")}), 0) << err;
    EXPECT_EQ(dir.Read("back.mpk"), dir.Read("pak.mpk"));
    ASSERT_EQ(Run(RunSave, {"convert", dir.File("retro.srm"), dir.File("back.eep")}), 0) << err;
    EXPECT_EQ(dir.Read("back.eep"), eep); // the EEPROM part was kept
    EXPECT_EQ(Run(RunSave, {"convert", pak, dir.File("back.mpk")}), 1);
    EXPECT_EQ(Run(RunSave, {"convert", "--to", "nonsense", pak, dir.File("x")}), 2);
    EXPECT_EQ(Run(RunSave, {"convert", pak, dir.File("x.txt")}), 1);
    EXPECT_TRUE(Says("name it"));
}

TEST_F(SaveCommandsTest, SaveWritersNameTheBackupTheyKeep) {
    const std::string pak = dir.Write("pak.mpk", samples::MakeMemoryPak(1, 2));
    const std::string dx = dir.Write("MEM.dx2", samples::MakeDx256WithRooms({{1, 1}}));
    const std::string room = dir.Write("room.sav", Bytes(512, 7));
    const std::string eep = dir.Write("game.eep", Bytes(512, 1));
    const std::string srmFile = dir.Write("retro.srm", Bytes(srm::kSize, 0x5A));
    const std::string paks = dir.Write("four.mpk", Bytes(4 * mempak::kSize, 0x33));
    struct Writer {
        const char* name;
        int (*command)(ArgParser&);
        std::vector<std::string> args;
        std::string file;                 // as stderr names it
        std::vector<std::string> backups; // kept with --backup 1
    };
    const std::vector<Writer> writers = {
        {"mempak", RunMempak, {"rename", pak, "1", "KEPT"}, pak, {"pak.bak"}},
        {"dx256", RunDx256, {dx, room, "--import", "B02", "--force", "--describe", "A01=Road"}, dx,
         {"MEM.dx2.bak", "MEM.DXD~"}}, // MEM.DXD (from the --backup 0 run) shares the stem
        {"save", RunSave, {"convert", eep, srmFile}, srmFile, {"retro.bak"}},
        {"save", RunSave, {"convert", "--pak", "2", pak, paks}, paks, {"four.bak"}},
    };
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.args.front() + " " + w.args.back());
        for (const char* mode : {"0", "3", "1"}) {
            std::vector<std::string> args = w.args;
            args.insert(args.end(), {"--backup", mode});
            ASSERT_EQ(Run(w.command, args), 0) << err;
            std::string said;
            if (std::string(mode) == "1")
                for (const std::string& backup : w.backups)
                    said += "q64 " + std::string(w.name) + ": " + w.file + ": backup saved as " + dir.File(backup) + "\n";
            EXPECT_EQ(err, said) << "--backup " << mode;
        }
    }
}

} // namespace
} // namespace q64::cli
