// Save types from an image's header and from the ROM database, whatever the
// image's byte order or container.

#include <gtest/gtest.h>

#include "engine/ImageHash.h"
#include "engine/SampleFiles.h"
#include "engine/SaveTypeChoice.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

Bytes CanonicalImage(const std::string& cartId, std::uint8_t byte3F) {
    samples::ImageRecipe recipe;
    recipe.cartId = cartId;
    recipe.sizeBytes = 8192;
    Bytes image = samples::MakeImage(recipe);
    image[0x3F] = byte3F;
    return image;
}

std::string Md5Of(const Bytes& canonical) {
    CanonicalHasher hasher(ImageFormat::BigEndian, Digests::Database);
    hasher.Add(canonical.data(), canonical.size());
    return HexDigestUpper(hasher.Finish().md5);
}

TEST(SaveTypeFromHeader, ReadsTheDeveloperByteOnlyBehindED) {
    const struct {
        const char* cartId;
        std::uint8_t byte3F;
        std::optional<SaveType> expected;
    } cases[] = {
        {"ED", 0x10, SaveType::Eeprom4k}, {"ED", 0x2F, SaveType::Eeprom16k}, {"ED", 0x30, SaveType::Sram256k},
        {"ED", 0x40, SaveType::Sram768k}, {"ED", 0x50, SaveType::FlashRam},  {"ED", 0x60, SaveType::Sram1M},
        {"ED", 0x00, SaveType::None},     {"ED", 0xF0, SaveType::None},      {"EE", 0x10, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SaveTypeFromHeader(CanonicalImage(c.cartId, c.byte3F).data()), c.expected) << c.cartId << int(c.byte3F);
    EXPECT_EQ(SaveSizeOf(SaveType::Sram768k), 98304u);
    EXPECT_EQ(SaveTypeFromKey("flashram"), SaveType::FlashRam);
    EXPECT_EQ(SaveTypeFromKey("flash"), std::nullopt);
}

TEST(RomDatabase, FollowsReferencesAndSurvivesLoops) {
    const RomDatabase db = RomDatabase::Parse("; catalog\r\n"
                                              "[aaaa]\r\nGoodName=Game (U) [!]\r\nSaveType=Flash RAM\r\n\r\n"
                                              "[BBBB]\nGoodName=Game (U) [b1]\nRefMD5=AAAA\n"
                                              "[CCCC]\nRefMD5=DDDD\n[DDDD]\nRefMD5=CCCC\n"
                                              "[EEEE]\nSaveType=Controller Pack\nnot a key line\n");
    ASSERT_TRUE(db.Find("AAAA"));
    EXPECT_EQ(db.Find("bbbb")->saveType, SaveType::FlashRam);
    EXPECT_EQ(db.Find("BBBB")->goodName, "Game (U) [b1]");
    EXPECT_EQ(db.Find("CCCC")->saveType, std::nullopt);
    EXPECT_EQ(db.Find("EEEE")->saveType, SaveType::None);
    EXPECT_FALSE(db.Find("FFFF"));
}

TEST(GuessSaveType, HeaderFirstThenTheDatabaseByTheMd5OfTheBigEndianImage) {
    test::TempDir dir;
    const Bytes declared = CanonicalImage("ED", 0x20);
    const Bytes plain = CanonicalImage("NK", 0x00);
    const RomDatabase db = RomDatabase::Parse("[" + Md5Of(plain) + "]\nGoodName=Plain\nSaveType=SRAM\n[" +
                                              Md5Of(declared) + "]\nSaveType=Flash RAM\n");
    const struct {
        const char* name;
        Bytes bytes;
        SaveType type;
        SaveTypeSource source;
    } cases[] = {
        {"declared.z64", declared, SaveType::Eeprom16k, SaveTypeSource::Header},
        {"declared.n64", samples::InOrder(declared, ImageFormat::LittleEndian), SaveType::Eeprom16k,
         SaveTypeSource::Header},
        {"plain.v64", samples::SwapPairs(plain), SaveType::Sram256k, SaveTypeSource::Database},
        {"unknown.z64", CanonicalImage("NX", 0x00), SaveType::None, SaveTypeSource::Unknown},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(samples::WriteFile(dir.File(c.name), c.bytes));
        SaveTypeChoice choice;
        std::string message;
        ASSERT_EQ(GuessSaveType(dir.File(c.name), &db, {}, choice, message), EngineResult::Ok) << message;
        EXPECT_EQ(choice.type, c.type) << c.name;
        EXPECT_EQ(choice.source, c.source) << c.name;
    }
    SaveTypeChoice choice;
    std::string message;
    GuessSaveType(dir.File("plain.v64"), &db, {}, choice, message);
    EXPECT_EQ(choice.Explanation(), "save type SRAM 256k from the ROM database (Plain)");
    EXPECT_EQ(GuessSaveType(dir.File("missing.z64"), &db, {}, choice, message), EngineResult::ErrFormat);
}

} // namespace
} // namespace q64
