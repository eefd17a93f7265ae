// Controller Paks: the character set, notes in and out, and damaged paks
// caught and repaired.
#include <gtest/gtest.h>

#include <functional>

#include "engine/MemoryPak.h"
#include "engine/PakText.h"
#include "engine/SampleFiles.h"

namespace q64 {
namespace {

using samples::Bytes;

TEST(PakText, DecodesTheSetKatakanaIncludedAndEncodesItBack) {
    const std::uint8_t codes[] = {0x1A, 0x0F, 0x10, 0x34, 0x42, 0x45, 0x50, 0x94, 0x00, 0x01};
    EXPECT_EQ(DecodePakText(codes, sizeof codes), "A 0!。ァアポ\xEF\xBF\xBD");
    std::string bad;
    const auto back = EncodePakText("a 0!。ァアポ", bad);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (std::vector<std::uint8_t>{0x1A, 0x0F, 0x10, 0x34, 0x42, 0x45, 0x50, 0x94}));
    EXPECT_FALSE(EncodePakText("MARIO~", bad));
    EXPECT_EQ(bad, "~");
}

TEST(MemoryPak, AFormattedPakIsSoundAndEmpty) {
    const PakData pak = FormatPak(7);
    ASSERT_EQ(pak.size(), mempak::kSize);
    const PakReport report = InspectPak(pak);
    EXPECT_FALSE(report.Damaged());
    EXPECT_TRUE(report.notes.empty());
    EXPECT_EQ(report.freePages, 123);
    EXPECT_TRUE(HasValidIdArea(pak.data()));
    // The checksum pair of the ID block: sum and 0xFFF2 - sum.
    const IdChecksums c = ComputeIdChecksums(pak.data() + 0x20);
    EXPECT_EQ(static_cast<std::uint16_t>(c.sum + c.inverse), 0xFFF2);
}

TEST(MemoryPak, ANoteExportedDeletedAndImportedComesBackWhole) {
    PakData pak = samples::MakeMemoryPak(3, 4);
    PakReport before = InspectPak(pak);
    ASSERT_EQ(before.notes.size(), 3u);
    EXPECT_EQ(before.freePages, 123 - 12);
    const PakNote second = *before.Note(2);
    EXPECT_EQ(second.gameCode, "NQSB");
    EXPECT_EQ(second.publisher, "01");
    EXPECT_EQ(second.name, "NOTE 2");

    std::string message;
    const std::vector<std::uint8_t> file = ExportNote(pak, 2, 0x01020304, message);
    ASSERT_EQ(file.size(), 16u + 32u + 4u * 256u) << message;
    EXPECT_EQ(std::string(file.begin() + 1, file.begin() + 8), "MPKNote");
    EXPECT_EQ(file[16 + 6], 0xCA); // first page stands as 0xCAFE
    EXPECT_EQ(file[16 + 7], 0xFE);

    ASSERT_EQ(DeleteNote(pak, 2, message), EngineResult::Ok) << message;
    EXPECT_EQ(InspectPak(pak).notes.size(), 2u);
    EXPECT_EQ(InspectPak(pak).freePages, 123 - 8);
    int number = 0;
    ASSERT_EQ(ImportNote(pak, file, message, &number), EngineResult::Ok) << message;
    EXPECT_EQ(number, 2); // the first free entry
    const PakReport after = InspectPak(pak);
    EXPECT_FALSE(after.Damaged());
    ASSERT_TRUE(after.Note(2));
    EXPECT_EQ(after.Note(2)->name, "NOTE 2");
    EXPECT_EQ(ExportNote(pak, 2, 0x01020304, message), file); // same entry, same pages

    ASSERT_EQ(RenameNote(pak, 2, "ゼルダ 1", message), EngineResult::Ok) << message;
    EXPECT_EQ(InspectPak(pak).Note(2)->name, "ゼルダ 1");
    EXPECT_EQ(RenameNote(pak, 2, "SEVENTEEN CHARS!!", message), EngineResult::ErrFormat);
    EXPECT_EQ(RenameNote(pak, 9, "X", message), EngineResult::ErrFailed);
}

TEST(MemoryPak, ImportRefusesAFullPakAndWhatIsNoNote) {
    std::string message;
    PakData crowded = samples::MakeMemoryPak(16, 1);
    EXPECT_EQ(ImportNote(crowded, samples::MakePakNote("NXXE", "01", "MORE", 1), message), EngineResult::ErrFailed);
    EXPECT_NE(message.find("full"), std::string::npos);
    PakData roomy = samples::MakeMemoryPak(1, 100);
    EXPECT_EQ(ImportNote(roomy, samples::MakePakNote("NXXE", "01", "BIG", 30), message), EngineResult::ErrFailed);
    EXPECT_NE(message.find("23 free"), std::string::npos);
    for (const Bytes& junk : {Bytes{}, Bytes(300, 0), Bytes(32 + 256, 0)})
        EXPECT_EQ(ImportNote(roomy, junk, message), EngineResult::ErrFormat);
    // A plain note (no MPKEdit header) is taken as well.
    Bytes plain = samples::MakePakNote("NXXE", "01", "PLAIN", 2);
    plain.erase(plain.begin(), plain.begin() + 16);
    EXPECT_EQ(ImportNote(roomy, plain, message), EngineResult::Ok) << message;
    // A note whose entry lacks the status bit games look for gets it: the pak stays sound.
    Bytes unflagged = samples::MakePakNote("NXXE", "01", "BARE", 1);
    unflagged[16 + 8] = 0;
    int number = 0;
    EXPECT_EQ(ImportNote(roomy, unflagged, message, &number), EngineResult::Ok) << message;
    const PakReport report = InspectPak(roomy);
    EXPECT_FALSE(report.Damaged()) << (report.faults.empty() ? "" : report.faults.front().text);
    EXPECT_TRUE(report.Note(number));
}

// A page's index value in both tables, checksums kept right: only the chain is wrong.
void SetNext(PakData& pak, int page, int next) {
    for (std::size_t table : {mempak::kIndexTable, mempak::kIndexBackup}) {
        pak[table + 2 * page] = 0;
        pak[table + 2 * page + 1] = static_cast<std::uint8_t>(next);
        pak[table + 1] = IndexTableChecksum(pak.data() + table);
    }
}

struct DamageCase {
    const char* name;
    std::function<void(PakData&)> damage;
    PakFaultKind caught;
    std::size_t notesAfterRepair; // of 3
};

TEST(MemoryPak, DamageIsCaughtNamedAndRepaired) {
    // Notes 1, 2, 3 of three pages each: pages 5-7, 8-10, 11-13.
    const std::vector<DamageCase> cases = {
        {"looping chain", [](PakData& p) { SetNext(p, 9, 8); }, PakFaultKind::ChainLoops, 2},
        {"crossed chain", [](PakData& p) { SetNext(p, 9, 6); }, PakFaultKind::ChainCrosses, 2},
        {"chain leaving the pages", [](PakData& p) { SetNext(p, 12, 0x90); }, PakFaultKind::ChainLeaves, 2},
        {"orphaned page", [](PakData& p) { SetNext(p, 40, 1); }, PakFaultKind::OrphanPages, 3},
        {"bad ID checksum", [](PakData& p) { p[0x20 + 5] ^= 0x40; }, PakFaultKind::IdChecksum, 3},
        {"no sound ID block", [](PakData& p) { for (std::size_t at : mempak::kIdBlocks) p[at + 30] ^= 1; },
         PakFaultKind::NoValidId, 3},
        {"bad index checksum", [](PakData& p) { p[mempak::kIndexTable + 1] ^= 0x11; }, PakFaultKind::IndexChecksum, 3},
        {"index table broken, backup sound",
         [](PakData& p) {
             p[mempak::kIndexTable + 2 * 6 + 1] = 6; // page 6 loops onto itself, in the first table only
             p[mempak::kIndexTable + 1] = IndexTableChecksum(p.data() + mempak::kIndexTable);
         },
         PakFaultKind::ChainLoops, 3},
        {"missing status bit", [](PakData& p) { p[mempak::kNoteTable + 32 + 8] = 0; }, PakFaultKind::NoteFlag, 3},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        PakData pak = samples::MakeMemoryPak(3, 3);
        c.damage(pak);
        const PakReport report = InspectPak(pak);
        ASSERT_TRUE(report.Damaged());
        bool named = false;
        for (const PakFault& f : report.faults) named = named || f.kind == c.caught;
        EXPECT_TRUE(named) << report.faults.front().text;
        for (const PakFault& f : report.faults) EXPECT_FALSE(f.text.empty());

        const std::vector<std::string> repaired = RepairPak(pak);
        EXPECT_FALSE(repaired.empty());
        const PakReport after = InspectPak(pak);
        EXPECT_FALSE(after.Damaged()) << (after.faults.empty() ? "" : after.faults.front().text);
        EXPECT_EQ(after.notes.size(), c.notesAfterRepair);
        EXPECT_EQ(after.freePages + 3 * static_cast<int>(c.notesAfterRepair), 123);
        EXPECT_TRUE(RepairPak(pak).empty()); // a second repair finds nothing
        std::string message;
        EXPECT_EQ(DeleteNote(pak, after.notes.front().number, message), EngineResult::Ok) << message;
    }
}

TEST(MemoryPak, EditsWaitForARepair) {
    PakData pak = samples::MakeMemoryPak(2, 2);
    SetNext(pak, 6, 6);
    std::string message;
    EXPECT_EQ(DeleteNote(pak, 2, message), EngineResult::ErrFailed);
    EXPECT_NE(message.find("repair it first"), std::string::npos);
    EXPECT_TRUE(ExportNote(pak, 1, 0, message).empty()); // note 1's chain is the broken one
    EXPECT_FALSE(ExportNote(pak, 2, 0, message).empty());
}

} // namespace
} // namespace q64
