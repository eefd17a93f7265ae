// Saves between cart order, the emulators' files, the .srm container and
// DexDrive images: round trips, the byte orders, and the refusals.
#include <gtest/gtest.h>

#include "engine/MemoryPak.h"
#include "engine/SampleFiles.h"
#include "engine/SaveConversion.h"
#include "engine/SaveFileConversion.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;
using F = SaveFormat;

Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return b;
}

Bytes Convert(const Bytes& in, F from, F to, int pak = 1, Bytes existing = {}) {
    ConvertRequest r;
    r.from = from;
    r.to = to;
    r.pak = pak;
    r.existingOut = std::move(existing);
    const ConvertOutcome out = ConvertSave(in, r);
    EXPECT_EQ(out.result, EngineResult::Ok) << out.message;
    return out.bytes;
}

struct RoundTrip {
    const char* name;
    Bytes save;
    F from;
    F via;
    int pak;
    std::size_t viaSize;
};

TEST(SaveConversion, RoundTripsComeBackByteForByte) {
    const Bytes pak = samples::MakeMemoryPak(2, 3);
    const std::vector<RoundTrip> trips = {
        {"eep4k <-> srm <-> eep4k", Pattern(512, 1), F::Eep4k, F::Srm, 1, srm::kSize},
        {"eep16k <-> srm <-> eep16k", Pattern(2048, 2), F::Eep16k, F::Srm, 1, srm::kSize},
        {"mpk <-> srm pak 2 <-> mpk", pak, F::Mpk, F::Srm, 2, srm::kSize},
        {"mpk <-> DexDrive <-> mpk", pak, F::Mpk, F::DexDrive, 1, dexdrive::kFileSize},
        {"mpk <-> mupen64plus paks <-> mpk", pak, F::Mpk, F::M64pMpk, 3, 131072},
        {"sra <-> srm <-> sra", Pattern(32768, 3), F::Sra, F::Srm, 1, srm::kSize},
        {"fla <-> Project64 fla <-> fla", Pattern(131072, 4), F::Fla, F::Pj64Fla, 1, 131072},
        {"eep4k <-> mupen64plus eep <-> eep4k", Pattern(512, 5), F::Eep4k, F::M64pEep, 1, 2048},
    };
    for (const RoundTrip& t : trips) {
        SCOPED_TRACE(t.name);
        const Bytes there = Convert(t.save, t.from, t.via, t.pak);
        EXPECT_EQ(there.size(), t.viaSize);
        EXPECT_EQ(Convert(there, t.via, t.from, t.pak), t.save);
    }
}

TEST(SaveConversion, EachPartSitsWhereTheContainerKeepsItInItsByteOrder) {
    const Bytes eep = Pattern(512, 9);
    const Bytes sram = Pattern(32768, 10);
    const Bytes pak = samples::MakeMemoryPak(1, 1);
    Bytes srmFile = Convert(eep, F::Eep4k, F::Srm);
    srmFile = Convert(sram, F::Sra, F::Srm, 1, srmFile);
    srmFile = Convert(pak, F::Mpk, F::Srm, 2, srmFile);
    ASSERT_EQ(srmFile.size(), 0x48800u);
    EXPECT_TRUE(std::equal(eep.begin(), eep.end(), srmFile.begin()));          // EEPROM at 0, cart order
    EXPECT_EQ(srmFile[512], 0xFF);                                             // the rest of the 0x800 erased
    EXPECT_TRUE(std::equal(pak.begin(), pak.end(), srmFile.begin() + 0x8800)); // pak 2 at 0x800 + 0x8000
    EXPECT_FALSE(InspectPak(Bytes(srmFile.begin() + 0x800, srmFile.begin() + 0x8800)).Damaged()); // pak 1 formatted
    // SRAM at 0x20800 with every 32-bit word reversed.
    EXPECT_EQ((Bytes(srmFile.begin() + 0x20800, srmFile.begin() + 0x20804)),
              (Bytes{sram[3], sram[2], sram[1], sram[0]}));
    EXPECT_EQ(Convert(sram, F::Sra, F::M64pSra)[0], sram[3]);
    EXPECT_EQ(Convert(sram, F::Sra, F::Pj64Sra)[1], sram[2]);
    // Updating one part keeps every other byte.
    const Bytes again = Convert(Pattern(512, 11), F::Eep4k, F::Srm, 1, srmFile);
    EXPECT_TRUE(std::equal(again.begin() + 0x800, again.end(), srmFile.begin() + 0x800));
}

TEST(SaveConversion, WhatWouldLoseDataOrMakesNoSenseIsRefusedWithTheReason) {
    struct Refused {
        const char* name;
        Bytes in;
        F from, to;
        const char* reason;
        bool lossy;
    };
    Bytes bigEeprom(2048, 0);
    bigEeprom[1000] = 1;
    Bytes dex = WrapDexDrive(samples::MakeMemoryPak(1, 1));
    dex[dexdrive::kCommentsAt] = 'H';
    const std::vector<Refused> cases = {
        {"16k EEPROM with data past 512 into 4k", bigEeprom, F::Eep16k, F::Eep4k, "bytes 512..2047", true},
        {"96 KiB SRAM into mupen64plus' 32 KiB", Pattern(98304, 1), F::Sra, F::M64pSra, "bytes 32768..98303", true},
        {"DexDrive comments into a plain pak", dex, F::DexDrive, F::Mpk, "comments of notes 1", true},
        {"EEPROM into FlashRAM", Pattern(512, 1), F::Eep4k, F::Fla, "holds FlashRAM saves", false},
        {"a size the format never has", Pattern(1000, 1), F::Eep4k, F::Srm, "1000 bytes", false},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.name);
        ConvertRequest r;
        r.from = c.from;
        r.to = c.to;
        ConvertOutcome out = ConvertSave(c.in, r);
        EXPECT_NE(out.result, EngineResult::Ok);
        EXPECT_NE(out.message.find(c.reason), std::string::npos) << out.message;
        EXPECT_TRUE(out.bytes.empty());
        EXPECT_EQ(out.lossy, c.lossy);
        r.force = true;
        EXPECT_EQ(ConvertSave(c.in, r).result == EngineResult::Ok, c.lossy);
    }
    // Erased bytes past 512 are no data: a mupen64plus 4k save fits.
    Bytes m64p(2048, 0xFF);
    m64p[0] = 1;
    EXPECT_EQ(Convert(m64p, F::M64pEep, F::Eep4k).size(), 512u);
}

TEST(SaveConversion, FormatsAreToldFromNamesAndBytes) {
    const Bytes pak = samples::MakeMemoryPak(1, 1);
    EXPECT_EQ(DetectSaveFormat("a.eep", Bytes(512)), F::Eep4k);
    EXPECT_EQ(DetectSaveFormat("a.SAV", Bytes(2048)), F::Eep16k);
    EXPECT_EQ(DetectSaveFormat("a.sra", Bytes(98304)), F::Sra);
    EXPECT_EQ(DetectSaveFormat("a.fla", Bytes(131072)), F::Fla);
    EXPECT_EQ(DetectSaveFormat("paks.mpk", Bytes(131072)), F::M64pMpk);
    EXPECT_EQ(DetectSaveFormat("any.bin", pak), F::Mpk); // a sound pak under any name
    EXPECT_EQ(DetectSaveFormat("x", Bytes(srm::kSize)), F::Srm);
    EXPECT_EQ(DetectSaveFormat("x.n64", WrapDexDrive(pak)), F::DexDrive);
    EXPECT_FALSE(DetectSaveFormat("any.bin", Bytes(32768)));
    Bytes m64p(2048, 0xFF);
    EXPECT_EQ(OutputFormatFor("out.eep", F::M64pEep, m64p), F::Eep4k); // as large as the data needs
    m64p[600] = 1;
    EXPECT_EQ(OutputFormatFor("out.eep", F::M64pEep, m64p), F::Eep16k);
    EXPECT_EQ(OutputFormatFor("out.sav", F::Fla, Bytes(131072)), F::Fla);
    EXPECT_EQ(OutputFormatFor("out.n64", F::Mpk, pak), F::DexDrive);
    EXPECT_FALSE(OutputFormatFor("out.sav", F::Srm, Bytes(srm::kSize))); // which part?
    EXPECT_FALSE(OutputFormatFor("out", F::Mpk, pak));
}

TEST(SaveFileConversion, ASrmIsUpdatedInPlaceAndAnyOtherOutputIsNeverReplaced) {
    test::TempDir dir;
    const std::string eep = dir.Write("game.eep", Pattern(512, 1));
    SaveFileRequest r;
    r.in = eep;
    r.out = dir.File("retro.srm");
    ASSERT_EQ(ConvertSaveFile(r).result, EngineResult::Ok);
    r.in = dir.Write("game.sra", Pattern(32768, 2));
    const SaveFileOutcome updated = ConvertSaveFile(r);
    ASSERT_EQ(updated.result, EngineResult::Ok) << updated.message;
    EXPECT_TRUE(updated.updated);
    const Bytes srmFile = dir.Read("retro.srm");
    EXPECT_TRUE(std::equal(srmFile.begin(), srmFile.begin() + 512, Pattern(512, 1).begin())); // EEPROM kept

    r.in = eep;
    r.out = dir.File("copy.eep");
    ASSERT_EQ(ConvertSaveFile(r).result, EngineResult::Ok);
    const SaveFileOutcome again = ConvertSaveFile(r);
    EXPECT_EQ(again.result, EngineResult::ErrFailed);
    EXPECT_NE(again.message.find("already exists"), std::string::npos);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"copy.eep", "game.eep", "game.sra", "retro.srm"}));
}

TEST(SaveFileConversion, AFourPakFileHasOnlyTheNamedPakReplacedAndTheBackupNamed) {
    test::TempDir dir;
    const Bytes paks = Pattern(4 * 32768, 3);
    const Bytes pak = samples::MakeMemoryPak(1, 2);
    SaveFileRequest r;
    r.in = dir.Write("note.mpk", pak);
    r.out = dir.Write("paks.mpk", paks); // .mpk of four paks: m64p-mpk without naming it
    r.pak = 3;
    r.mode = BackupMode::Keep;
    const SaveFileOutcome updated = ConvertSaveFile(r);
    ASSERT_EQ(updated.result, EngineResult::Ok) << updated.message;
    EXPECT_TRUE(updated.updated);
    EXPECT_EQ(updated.to, F::M64pMpk);
    EXPECT_EQ(updated.backup, dir.File("paks.bak"));
    EXPECT_EQ(dir.Read("paks.bak"), paks);
    Bytes expected = paks;
    std::copy(pak.begin(), pak.end(), expected.begin() + 2 * 32768);
    EXPECT_EQ(dir.Read("paks.mpk"), expected);

    // Not four paks: refused, the file as it was.
    r.out = dir.Write("one.mpk", Pattern(32768, 4));
    r.to = F::M64pMpk;
    const SaveFileOutcome refused = ConvertSaveFile(r);
    EXPECT_EQ(refused.result, EngineResult::ErrFormat);
    EXPECT_NE(refused.message.find("is not a file of four Controller Paks (131072 bytes)"), std::string::npos);
    EXPECT_EQ(dir.Read("one.mpk"), Pattern(32768, 4));
}

} // namespace
} // namespace q64
