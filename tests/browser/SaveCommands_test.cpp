// The save commands from the window's side: the managers write only on
// "Update File" and through the file-change mechanism, their hosts read and
// write the files the buttons name, and Convert Save asks before dropping data.
#include "browser/SaveCommands.h"

#include <gtest/gtest.h>

#include "browser/InfoPanel.h"
#include "engine/MemoryPak.h"
#include "engine/SaveConversion.h"
#include "support/CommandBench.h"

namespace q64::test {
namespace {

using SaveCommandsTest = CommandBench;

TEST_F(SaveCommandsTest, Dx256ManagerHostsReadAndWriteSavesAndUpdateWrites) {
    dir.Write("MEM.dx2", samples::MakeDx256WithRooms({{1, 1}}));
    const samples::Bytes sav(512, 0x42);
    dir.Write("GAME.SAV", sav);
    settings.Backup = 0;
    List("MEM.dx2");
    ui.files = {dir.File("GAME.SAV"), dir.File("A01 copy.SAV")};
    ui.dx256Manager = [&](Dx256Image& dx, Dx256Host& host) {
        EXPECT_FALSE(host.CanSendDx256()); // no transfers given
        const auto loaded = host.LoadSav();
        EXPECT_EQ(loaded, sav);
        dx.PutRoom(2, 2, *loaded);
        host.SaveSav("A01", dx.RoomData(1, 1));
        return true;
    };
    SaveCommands(Env()).ManageDx256();
    ASSERT_EQ(ui.pickRequests.size(), 2u);
    EXPECT_EQ(ui.pickRequests[0].filter, kSavFilter);
    EXPECT_EQ(ui.pickRequests[1].fileName, "A01.SAV");
    Dx256Image after;
    ASSERT_EQ(after.LoadDx256(dir.File("MEM.dx2")), Dx256LoadResult::Loaded);
    EXPECT_EQ(after.RoomData(2, 2), sav);
    EXPECT_EQ(dir.Read("A01 copy.SAV"), after.RoomData(1, 1));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"A01 copy.SAV", "GAME.SAV", "MEM.dx2"}));
    EXPECT_EQ(view->refreshes, 1);

    // Cancel after a change writes nothing.
    const samples::Bytes before = dir.Read("MEM.dx2");
    ui.dx256Manager = [](Dx256Image& dx, Dx256Host&) {
        dx.ClearRoom(1, 1);
        return false;
    };
    ASSERT_TRUE(view->Select("MEM.dx2"));
    SaveCommands(Env()).ManageDx256();
    EXPECT_EQ(dir.Read("MEM.dx2"), before);
}

TEST_F(SaveCommandsTest, MemoryPakManagerKeepsADexDriveImageOne) {
    samples::Bytes dex = WrapDexDrive(samples::MakeMemoryPak(2, 2));
    dex[dexdrive::kCommentsAt] = 'A';                            // note 1's comment
    dex[dexdrive::kCommentsAt + dexdrive::kCommentSize] = 'B';   // note 2's
    dir.Write("PAKS.N64", dex);
    List("PAKS.N64");
    EXPECT_EQ(view->State().currentFormat, ToInt(FileKind::MemoryPak));
    EXPECT_EQ(view->model.Panel().notes, "2");
    EXPECT_EQ(view->model.Panel().freePages, "119 of 123");
    ui.files = {dir.File("out.note")};
    ui.pakManager = [](PakFile& file, PakHost& host) {
        std::string message;
        host.SaveNote("NQSA NOTE 1.note", ExportNote(file.pak, 1, 7, message));
        EXPECT_EQ(DeleteNote(file.pak, 1, message), EngineResult::Ok);
        file.ClearComment(1);
        return true;
    };
    SaveCommands(Env()).ManageMemoryPak();
    const samples::Bytes after = dir.Read("PAKS.N64");
    ASSERT_EQ(after.size(), dexdrive::kFileSize);
    EXPECT_EQ(after[dexdrive::kCommentsAt], 0);
    EXPECT_EQ(after[dexdrive::kCommentsAt + dexdrive::kCommentSize], 'B');
    EXPECT_EQ(view->model.Panel().notes, "1");
    EXPECT_FALSE(dir.Read("out.note").empty());
    EXPECT_EQ(ui.statuses.back(), "Backup saved as PAKS.bak"); // the "Backup" setting keeps one
    EXPECT_EQ(dir.Read("PAKS.bak"), dex);
}

TEST_F(SaveCommandsTest, ConvertSavePresetsFormatsAsksBeforeDroppingDataAndUpdatesASrm) {
    samples::Bytes eep(2048, 0);
    eep[1000] = 9;
    dir.Write("game.eep", eep);
    List("game.eep");
    EXPECT_EQ(view->State().currentFormat, ToInt(FileKind::GameSave));

    // To a 4k EEPROM: data past 512 would be dropped; No keeps it from happening.
    ui.conversions = {{SaveFormat::Eep16k, SaveFormat::Eep4k, 1}};
    ui.files = {dir.File("small.eep")};
    SaveCommands(Env()).ConvertSave();
    ASSERT_EQ(ui.conversionPresets.size(), 1u);
    EXPECT_EQ(ui.conversionPresets[0].from, SaveFormat::Eep16k);
    EXPECT_EQ(ui.conversionPresets[0].to, SaveFormat::Srm);
    ASSERT_TRUE(ui.Asked());
    EXPECT_NE(ui.shown.back().text.find("bytes 512..2047"), std::string::npos);
    EXPECT_FALSE(dir.Exists("small.eep"));

    // Into a .srm that exists: its other parts stay, and nothing asks about replacing it.
    samples::Bytes srmFile(srm::kSize, 0x5A);
    dir.Write("retro.srm", srmFile);
    ASSERT_TRUE(view->Select("game.eep"));
    ui.conversions = {{SaveFormat::Eep16k, SaveFormat::Srm, 1}};
    ui.files = {dir.File("retro.srm")};
    SaveCommands(Env()).ConvertSave();
    EXPECT_FALSE(ui.pickRequests.back().confirmOverwrite);
    const samples::Bytes updated = dir.Read("retro.srm");
    EXPECT_TRUE(std::equal(eep.begin(), eep.end(), updated.begin()));
    EXPECT_TRUE(std::all_of(updated.begin() + 0x800, updated.end(), [](std::uint8_t b) { return b == 0x5A; }));
    EXPECT_NE(ui.statuses.back().find("part updated"), std::string::npos);
}

TEST_F(SaveCommandsTest, ConvertSaveUpdatesOnePakOfAFourPakFileAndNamesTheBackup) {
    const samples::Bytes pak = samples::MakeMemoryPak(1, 2);
    const samples::Bytes paks(4 * mempak::kSize, 0x33);
    dir.Write("note.mpk", pak);
    dir.Write("paks.mpk", paks);
    settings.Backup = 1;
    List("note.mpk");
    ui.conversions = {{SaveFormat::Mpk, SaveFormat::M64pMpk, 4}};
    ui.files = {dir.File("paks.mpk")};
    SaveCommands(Env()).ConvertSave();
    EXPECT_FALSE(ui.pickRequests.back().confirmOverwrite); // updated in place: nothing to ask
    samples::Bytes expected = paks;
    std::copy(pak.begin(), pak.end(), expected.begin() + 3 * mempak::kSize);
    EXPECT_EQ(dir.Read("paks.mpk"), expected);
    EXPECT_EQ(dir.Read("paks.bak"), paks);
    EXPECT_EQ(ui.statuses.back(), "note.mpk converted to paks.mpk (" +
                                      std::string(InfoOf(SaveFormat::M64pMpk).description) +
                                      ", part updated); backup saved as paks.bak");
}

} // namespace
} // namespace q64::test
