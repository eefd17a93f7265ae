#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/Dx256File.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

// ---- room addressing ----------------------------------------------------------

TEST(Dx256Rooms, P16IsTheLastBlockAndA01StartsAt121856) {
    EXPECT_EQ(RoomIndex(16, 16), 0);
    EXPECT_EQ(RoomOffset(16, 16), dx256::kFileSize - dx256::kRoomSize);
    EXPECT_EQ(RoomIndex(1, 1), 17);
    EXPECT_EQ(RoomOffset(1, 1), 121856u);
    EXPECT_EQ(RoomOffset(15, 15), 0u); // O15 is the first block
    EXPECT_EQ(RoomOffset(1, 16), 512u * (255 - 16));
}

TEST(Dx256Rooms, EveryRoomHasItsOwnBlock) {
    std::set<std::size_t> offsets;
    for (int bank = 1; bank <= 16; ++bank)
        for (int slot = 1; slot <= 16; ++slot) {
            const std::size_t at = RoomOffset(bank, slot);
            EXPECT_EQ(at % 512, 0u);
            EXPECT_LT(at, dx256::kFileSize);
            offsets.insert(at);
        }
    EXPECT_EQ(offsets.size(), 256u);
}

TEST(Dx256Rooms, NamesAndTheirReading) {
    EXPECT_EQ(RoomName(1, 1), "A01");
    EXPECT_EQ(RoomName(16, 16), "P16");
    EXPECT_EQ(ParseRoomName("A01"), std::make_pair(1, 1));
    EXPECT_EQ(ParseRoomName("p16"), std::make_pair(16, 16));
    EXPECT_EQ(ParseRoomName("c7"), std::make_pair(3, 7));
    for (const char* bad : {"", "A", "A00", "A17", "Q01", "A001", "A-1", "1A"}) EXPECT_FALSE(ParseRoomName(bad)) << bad;
    EXPECT_FALSE(IsValidRoom(0, 1));
    EXPECT_FALSE(IsValidRoom(17, 1)); // would alias bank A through the AND 15
}

// ---- description lines --------------------------------------------------------

TEST(Dx256Lines, ReadAsBankLetterSlotAndOneWord) {
    auto line = ParseDescriptionLine("BankA01=Race");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->bank, 1);
    EXPECT_EQ(line->slot, 1);
    EXPECT_EQ(line->text, "Race");
    line = ParseDescriptionLine("Banka1=Race");
    ASSERT_TRUE(line);
    EXPECT_EQ(std::make_pair(line->bank, line->slot), std::make_pair(1, 1));
    line = ParseDescriptionLine("BankP16=  Two words\r");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->bank, 16);
    EXPECT_EQ(line->text, "Two");
    line = ParseDescriptionLine("BankC 7=x");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->slot, 7);
}

TEST(Dx256Lines, EverythingElseIsIgnored) {
    for (const char* bad : {"", "B", "Ba", "Bank", "BankA", "BankA01", "BankA01=", "BankA01=   ", "bankA01=x",
                            "BANKA01=x", "BankQ01=x", "BankA17=x", "BankA00=x", "BankA-1=x", "BankA123=x",
                            "BankA01 =x", "BankA=x", " BankA01=x", "# BankA01=x", "BankA+=x"})
        EXPECT_FALSE(ParseDescriptionLine(bad)) << bad;
}

TEST(Dx256Lines, LongDescriptionsAreCutSafely) {
    const auto line = ParseDescriptionLine("BankA01=" + std::string(200, 'x'));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, std::string(79, 'x'));
    // A two-byte UTF-8 character across the cut is dropped whole.
    const std::string accented = std::string(78, 'a') + "\xC3\xA9" + "b";
    EXPECT_EQ(CleanDescription(accented), std::string(78, 'a'));
    EXPECT_EQ(CleanDescription(std::string(77, 'a') + "\xC3\xA9" + "b"), std::string(77, 'a') + "\xC3\xA9");
    // Only the first 254 characters of a line are read.
    EXPECT_FALSE(ParseDescriptionLine(std::string(250, ' ') + "BankA01=x"));
    EXPECT_FALSE(ParseDescriptionLine("BankA01" + std::string(250, ' ') + "=x"));
}

TEST(Dx256Lines, CleaningKeepsWhatReadsBack) {
    EXPECT_EQ(CleanDescription("  Two words\tand\nmore  "), "Two_words_and_more");
    EXPECT_EQ(CleanDescription(std::string("cut\0here", 8)), "cut");
    EXPECT_EQ(CleanDescription("   "), "");
    for (const std::string& text : {std::string("Race"), std::string("Two words"), std::string(120, 'z'), std::string("a\r\nBankB01=evil")}) {
        const std::string clean = CleanDescription(text);
        const auto back = ParseDescriptionLine(FormatDescriptionLine(2, 3, clean));
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(back->text, clean);
    }
}

TEST(Dx256Lines, RandomLinesNeverCrash) {
    std::mt19937 random(42);
    const std::string alphabet = "Bank=APap0123456789+- \t\r\x01\xC3\xA9";
    for (int i = 0; i < 20000; ++i) {
        std::string line = "Ba";
        const int length = static_cast<int>(random() % 40);
        for (int k = 0; k < length; ++k) line += alphabet[random() % alphabet.size()];
        if (const auto parsed = ParseDescriptionLine(line)) {
            EXPECT_TRUE(IsValidRoom(parsed->bank, parsed->slot));
            EXPECT_FALSE(parsed->text.empty());
            EXPECT_LE(parsed->text.size(), dx256::kMaxDescriptionLength);
        }
    }
}

// ---- loading, listing, writing back ------------------------------------------

class Dx256Load : public ::testing::Test {
protected:
    std::string WriteDx(const Bytes& bytes, const std::string& name = "MEM.dx2") { return dir.Write(name, bytes); }
    test::TempDir dir;
    Dx256Image dx;
};

TEST_F(Dx256Load, AllZeroFileListsEmptyRooms) {
    ASSERT_EQ(dx.LoadDx256(WriteDx(Bytes(dx256::kFileSize, 0))), Dx256LoadResult::Loaded);
    const auto rows = dx.ListRooms();
    ASSERT_EQ(rows.size(), 256u);
    EXPECT_EQ(rows.front().room, "A01");
    EXPECT_EQ(rows[16].room, "B01");
    EXPECT_EQ(rows.back().room, "P16");
    for (const RoomRow& row : rows) {
        EXPECT_FALSE(row.inUse);
        EXPECT_EQ(row.description, "");
    }
}

TEST_F(Dx256Load, OneByteAt121856IsRoomA01) {
    Bytes bytes(dx256::kFileSize, 0);
    bytes[121856] = 1;
    const std::string path = WriteDx(bytes);
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    auto rows = dx.ListRooms();
    for (const RoomRow& row : rows) {
        EXPECT_EQ(row.inUse, row.room == "A01") << row.room;
        EXPECT_EQ(row.description, row.room == "A01" ? "Unknown" : "") << row.room;
    }
    dir.Write("MEM.DXD", Of("BankA01=Race\n"));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(dx.GetRoomDescription(1, 1), "Race");
    dir.Write("MEM.DXD", Of("Banka1=Race\r\n"));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(dx.GetRoomDescription(1, 1), "Race");
}

TEST_F(Dx256Load, DescriptionsOnlyForRoomsInUseAndLaterLinesWin) {
    const std::string path = WriteDx(samples::MakeDx256WithRooms({{1, 1}, {16, 16}}));
    dir.Write("MEM.DXD", Of("; my notes\nBankA01=First\nBankB02=Empty\nBankP16=Last\nBankA01=Second\n" +
                             std::string(300, 'y') + "BankP16=Smuggled\n"));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(dx.GetRoomDescription(1, 1), "Second");
    EXPECT_EQ(dx.GetRoomDescription(2, 2), "");
    EXPECT_EQ(dx.GetRoomDescription(16, 16), "Last"); // the rest of an over-long line is no line of its own
    EXPECT_FALSE(dx.GetRoomDescription(0, 1));
    EXPECT_TRUE(dx.IsRoomInUse(16, 16));
    EXPECT_EQ(dx.RoomData(16, 16).size(), 512u);
}

TEST_F(Dx256Load, LoadFailures) {
    EXPECT_EQ(dx.LoadDx256(dir.File("missing.dx2")), Dx256LoadResult::ErrOpen);
    EXPECT_EQ(dx.LoadDx256(WriteDx(Bytes(131071, 0))), Dx256LoadResult::ErrShort);
    EXPECT_FALSE(dx.IsLoaded());
    EXPECT_FALSE(dx.GetRoomDescription(1, 1));
    EXPECT_EQ(dx.SetRoomDescription(1, 1, "x"), EngineResult::ErrNotLoaded);
    EXPECT_EQ(dx.SaveDescriptions(BackupMode::Temporary), EngineResult::ErrNotLoaded);
    Bytes longer = samples::MakeDx256WithRooms({{3, 3}});
    longer.resize(140000, 0xFF);
    ASSERT_EQ(dx.LoadDx256(WriteDx(longer)), Dx256LoadResult::Loaded);
    EXPECT_TRUE(dx.IsRoomInUse(3, 3));
}

TEST_F(Dx256Load, SetOnlyForRoomsInUse) {
    ASSERT_EQ(dx.LoadDx256(WriteDx(samples::MakeDx256WithRooms({{1, 1}}))), Dx256LoadResult::Loaded);
    EXPECT_EQ(dx.SetRoomDescription(2, 1, "x"), EngineResult::ErrFailed);
    EXPECT_EQ(dx.GetRoomDescription(2, 1), "");
    EXPECT_EQ(dx.SetRoomDescription(17, 1, "x"), EngineResult::ErrFailed);
    EXPECT_EQ(dx.SetRoomDescription(1, 1, " Long race "), EngineResult::Ok);
    EXPECT_EQ(dx.GetRoomDescription(1, 1), "Long_race");
    EXPECT_EQ(dx.SetRoomDescription(1, 1, ""), EngineResult::Ok);
    EXPECT_EQ(dx.GetRoomDescription(1, 1), "Unknown");
}

TEST_F(Dx256Load, NewDescriptionFileRoundTrips) {
    const std::string path = WriteDx(samples::MakeDx256WithRooms({{1, 1}, {3, 12}, {16, 16}}));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(dx.SaveDescriptions(BackupMode::Temporary), EngineResult::Ok);
    EXPECT_FALSE(dir.Exists("MEM.DXD")); // nothing changed, nothing written
    ASSERT_EQ(dx.SetRoomDescription(16, 16, "Last"), EngineResult::Ok);
    ASSERT_EQ(dx.SetRoomDescription(1, 1, "Race"), EngineResult::Ok);
    ASSERT_EQ(dx.SetRoomDescription(3, 12, std::string(100, 'q')), EngineResult::Ok);
    ASSERT_EQ(dx.SaveDescriptions(BackupMode::Temporary), EngineResult::Ok);
    EXPECT_EQ(Text(dir.Read("MEM.DXD")), "BankA01=Race\r\nBankC12=" + std::string(79, 'q') + "\r\nBankP16=Last\r\n");
    Dx256Image again;
    ASSERT_EQ(again.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(again.ListRooms().size(), 256u);
    for (const RoomRow& row : dx.ListRooms()) EXPECT_EQ(again.GetRoomDescription(row.bank, row.slot), row.description);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"MEM.DXD", "MEM.dx2"}));
}

TEST_F(Dx256Load, RewriteKeepsEveryLineItDoesNotOwn) {
    const std::string path = WriteDx(samples::MakeDx256WithRooms({{1, 1}, {2, 2}, {4, 4}}));
    const std::string before = "; notes\nBankA01=Old\r\nBankB02=" + std::string(90, 'k') +
                               "\nBankE05=NotInUse\nBankA01=Older\nBankD04=Gone\ntrailing";
    dir.Write("MEM.DXD", Of(before));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    ASSERT_EQ(dx.SetRoomDescription(1, 1, "New"), EngineResult::Ok);
    ASSERT_EQ(dx.SetRoomDescription(4, 4, ""), EngineResult::Ok);
    ASSERT_EQ(dx.SetRoomDescription(2, 2, std::string(90, 'k')), EngineResult::Ok);
    ASSERT_EQ(dx.SetRoomDescription(2, 2, std::string(90, 'k')), EngineResult::Ok);
    ASSERT_EQ(dx.SaveDescriptions(BackupMode::Keep), EngineResult::Ok);
    EXPECT_EQ(Text(dir.Read("MEM.DXD")), "; notes\nBankA01=New\r\nBankB02=" + std::string(79, 'k') +
                                             "\nBankE05=NotInUse\ntrailing");
    EXPECT_EQ(Text(dir.Read("MEM.DXD~")), before);
    // Unchanged rooms keep their lines exactly, even over-long ones.
    Dx256Image other;
    ASSERT_EQ(other.LoadDx256(path), Dx256LoadResult::Loaded);
    ASSERT_EQ(other.SetRoomDescription(1, 1, "Newer"), EngineResult::Ok);
    dir.Write("MEM.DXD", Of(before));
    ASSERT_EQ(other.SaveDescriptions(BackupMode::Temporary), EngineResult::Ok);
    EXPECT_EQ(Text(dir.Read("MEM.DXD")), "; notes\nBankA01=Newer\r\nBankB02=" + std::string(90, 'k') +
                                             "\nBankE05=NotInUse\nBankD04=Gone\ntrailing");
    EXPECT_FALSE(dir.Exists("MEM._bb"));
}

TEST_F(Dx256Load, AppendsAfterALastLineWithoutEnd) {
    const std::string path = WriteDx(samples::MakeDx256WithRooms({{1, 2}}));
    dir.Write("MEM.DXD", Of("BankZ01=x"));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    ASSERT_EQ(dx.SetRoomDescription(1, 2, "Two"), EngineResult::Ok);
    ASSERT_EQ(dx.SaveDescriptions(BackupMode::Temporary), EngineResult::Ok);
    EXPECT_EQ(Text(dir.Read("MEM.DXD")), "BankZ01=x\r\nBankA02=Two\r\n");
}

TEST_F(Dx256Load, LowerCaseDescriptionFileIsFoundAndWritten) {
    const std::string path = WriteDx(samples::MakeDx256WithRooms({{1, 1}}));
    dir.Write("MEM.dxd", Of("BankA01=Lower\n"));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(dx.GetRoomDescription(1, 1), "Lower");
    ASSERT_EQ(dx.SetRoomDescription(1, 1, "Changed"), EngineResult::Ok);
    ASSERT_EQ(dx.SaveDescriptions(BackupMode::Temporary), EngineResult::Ok);
    EXPECT_EQ(Text(dir.Read("MEM.dxd")), "BankA01=Changed\n");
    EXPECT_FALSE(dir.Exists("MEM.DXD"));
}

TEST_F(Dx256Load, ADx256FileNamedDxdIsNeverOverwritten) {
    const Bytes bytes = samples::MakeDx256WithRooms({{1, 1}});
    const std::string path = WriteDx(bytes, "SAVE.DXD");
    std::vector<std::string> messages;
    dx.SetMessageSink([&](const std::string& t) { messages.push_back(t); });
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(dx.GetRoomDescription(1, 1), "Unknown");
    ASSERT_EQ(dx.SetRoomDescription(1, 1, "x"), EngineResult::Ok);
    EXPECT_EQ(dx.SaveDescriptions(BackupMode::Temporary), EngineResult::ErrFormat);
    EXPECT_EQ(dir.Read("SAVE.DXD"), bytes);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(Dx256Load, DescriptionBackupHasANameNoOtherBackupShares) {
    // A kept image backup GAME.bak must survive describing GAME.DXD's rooms.
    const Bytes bytes = samples::MakeDx256WithRooms({{1, 1}});
    const std::string path = WriteDx(bytes, "MEM.bak");
    dir.Write("MEM.DXD", Of("BankA01=Old\n"));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    ASSERT_EQ(dx.SetRoomDescription(1, 1, "New"), EngineResult::Ok);
    EXPECT_EQ(dx.SaveDescriptions(BackupMode::Keep), EngineResult::Ok);
    EXPECT_EQ(dir.Read("MEM.bak"), bytes);
    EXPECT_EQ(Text(dir.Read("MEM.DXD~")), "BankA01=Old\n");
    EXPECT_EQ(Text(dir.Read("MEM.DXD")), "BankA01=New\n");
}

// ---- room edits: import, export, move, clear -----------------------------------

TEST_F(Dx256Load, RoomsImportedMovedAndClearedAreWrittenWithTheirDescriptions) {
    const std::string path = WriteDx(samples::MakeDx256WithRooms({{1, 1}, {2, 2}}));
    dir.Write("MEM.DXD", Of("BankA01=Race\r\nBankB02=Castle\r\n"));
    ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    const Bytes a01 = dx.RoomData(1, 1);
    Bytes save(dx256::kRoomSize, 0x5A);

    EXPECT_EQ(dx.PutRoom(3, 3, save), EngineResult::Ok);        // import into an empty room
    EXPECT_EQ(dx.MoveRoom(1, 1, 16, 16), EngineResult::Ok);     // A01 with its description to P16
    EXPECT_EQ(dx.ClearRoom(2, 2), EngineResult::Ok);            // B02 and its description go
    EXPECT_EQ(dx.PutRoom(4, 4, Bytes(511, 1)), EngineResult::ErrFailed);
    EXPECT_EQ(dx.MoveRoom(5, 5, 6, 6), EngineResult::ErrFailed); // an empty room does not move
    EXPECT_TRUE(dx.HasChanges());
    ASSERT_EQ(dx.Save(BackupMode::Temporary), EngineResult::Ok);
    EXPECT_FALSE(dx.HasChanges());

    Dx256Image again;
    ASSERT_EQ(again.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(again.RoomData(3, 3), save);
    EXPECT_EQ(again.GetRoomDescription(3, 3), "Unknown");
    EXPECT_EQ(again.RoomData(16, 16), a01);
    EXPECT_EQ(again.GetRoomDescription(16, 16), "Race");
    EXPECT_FALSE(again.IsRoomInUse(1, 1));
    EXPECT_FALSE(again.IsRoomInUse(2, 2));
    EXPECT_EQ(Text(dir.Read("MEM.DXD")), "BankP16=Race\r\n");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"MEM.DXD", "MEM.dx2"}));
}

} // namespace
} // namespace q64
