// Identification rules, their order, header decoding and the getters.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "engine/PatchMaker.h"
#include "engine/RomImage.h"
#include "engine/Territory.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

class IdentifyTest : public ::testing::Test {
protected:
    FileKind KindOf(const std::string& name, const Bytes& bytes, EngineResult expected = EngineResult::Ok) {
        const std::string path = dir.Write(name, bytes);
        EXPECT_EQ(image.Identify(path), expected) << name;
        return image.GetKind();
    }
    test::TempDir dir;
    RomImage image;
};

TEST_F(IdentifyTest, ByteOrderTwinsDecodeTheSameHeader) {
    samples::ImageRecipe recipe;
    recipe.title = "TWIN TITLE";
    recipe.cartId = "TW";
    recipe.territory = 'E';
    recipe.maker = 'N';
    recipe.format = ImageFormat::BigEndian;
    ASSERT_EQ(KindOf("big.z64", samples::MakeImage(recipe)), FileKind::Image);
    EXPECT_EQ(image.ByteOrder(), ImageFormat::BigEndian);
    EXPECT_EQ(FormatByteOrder(image.ByteOrder()), "SP64/WC/Z64");
    const std::string title = image.Title(), cart = image.CartId();

    recipe.format = ImageFormat::ByteSwapped;
    const Bytes swapped = samples::MakeImage(recipe);
    ASSERT_EQ(swapped[0], 0x37);
    ASSERT_EQ(KindOf("swapped.v64", swapped), FileKind::Image);
    EXPECT_EQ(image.ByteOrder(), ImageFormat::ByteSwapped);
    EXPECT_EQ(FormatByteOrder(image.ByteOrder()), "Doctor 64");
    EXPECT_EQ(image.Title(), title);
    EXPECT_EQ(image.Title(), "TWIN TITLE");
    EXPECT_EQ(image.CartId(), cart);
    EXPECT_EQ(image.TerritoryCode(), 'E');
    EXPECT_EQ(image.MakerCode(), 'N');
    std::string country;
    image.GetCountryName(country);
    EXPECT_EQ(country, "USA");
}

TEST_F(IdentifyTest, CompressedImageTakesItsSizeFromOffset64) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 8388608;
    const Bytes packed = samples::MakeCompressedImage(recipe);
    ASSERT_EQ(KindOf("packed.z64", packed), FileKind::CompressedImage);
    EXPECT_EQ(image.IsCompressed(), 1);
    EXPECT_EQ(image.GetImageSize(), 8388608);
    EXPECT_EQ(image.GetFileSize(), static_cast<std::int64_t>(packed.size()));
    EXPECT_EQ(FormatImageSize(image.GetSizeMbit()), "64.0 MBit");

    recipe.format = ImageFormat::ByteSwapped;
    EXPECT_EQ(KindOf("packed.v64", samples::MakeCompressedImage(recipe)), FileKind::CompressedImage);
}

TEST_F(IdentifyTest, ImageTestLooksAtEachByteOnItsOwn) {
    Bytes b(128, 0);
    b[0] = 0x37, b[1] = 0x37, b[2] = 0x12, b[3] = 0x12;
    EXPECT_EQ(KindOf("odd.bin", b), FileKind::Image);
    b[2] = 0x40, b[3] = 0x40; // neither byte 2 nor 3 is 0x12: compressed
    EXPECT_EQ(KindOf("odd2.bin", b), FileKind::CompressedImage);
    b[1] = 0x12;
    EXPECT_EQ(KindOf("odd3.bin", b, EngineResult::ErrFormat), FileKind::None);
}

TEST_F(IdentifyTest, TitleEndsAtZeroByteAndBlankTitleIsEmpty) {
    samples::ImageRecipe recipe;
    recipe.title = std::string(20, ' ');
    KindOf("blank.z64", samples::MakeImage(recipe));
    EXPECT_EQ(image.Title(), "");
    recipe.title = std::string("AB\0CD", 5);
    KindOf("zero.z64", samples::MakeImage(recipe));
    EXPECT_EQ(image.Title(), "AB");
}

TEST_F(IdentifyTest, ShortFilesAreNeverImages) {
    Bytes b = samples::MakeImage({});
    b.resize(63);
    EXPECT_EQ(KindOf("short.z64", b, EngineResult::ErrFormat), FileKind::None);
}

TEST_F(IdentifyTest, BiosSizeIsDecidedBySignatureOnly) {
    EXPECT_EQ(KindOf("bios.bin", samples::MakeBios()), FileKind::Doctor64Bios);
    EXPECT_EQ(image.Title(), "Doctor64 BIOS");
    EXPECT_EQ(image.CartId(), "  ");
    std::string country;
    image.GetCountryName(country);
    EXPECT_EQ(country, ""); // unlisted code on a non-image: empty text

    Bytes patchLike(262144, 0);
    std::copy_n("PATCH", 5, patchLike.begin());
    EXPECT_EQ(KindOf("big.ips", patchLike, EngineResult::ErrFormat), FileKind::None);
}

TEST_F(IdentifyTest, PatchTaggedSaveSavAndDx256) {
    EXPECT_EQ(KindOf("p.ips", samples::MakeIps({})), FileKind::IpsPatch);
    EXPECT_EQ(image.Title(), "IPS Patch File");
    const Bytes data{1, 2, 3};
    EXPECT_EQ(KindOf("p.bps", MakeBpsPatch(data.data(), 3, data.data(), 3)), FileKind::BpsPatch);
    EXPECT_EQ(image.Title(), "BPS Patch File");
    EXPECT_EQ(KindOf("s.n64", samples::MakeTaggedSave("MY SAVE")), FileKind::TaggedSave);
    EXPECT_EQ(image.Title(), "MY SAVE");
    EXPECT_EQ(KindOf("x.sav", samples::MakeSavRam()), FileKind::SavRam);
    EXPECT_EQ(KindOf("X.SAV", samples::MakeSavRam()), FileKind::SavRam);
    EXPECT_EQ(image.Title(), "SAV Ram File");
    EXPECT_EQ(KindOf("x.ram", samples::MakeSavRam(), EngineResult::ErrFormat), FileKind::None);
    EXPECT_EQ(KindOf("any.name", samples::MakeDx256()), FileKind::Dx256);
    EXPECT_EQ(image.Title(), "DX256 File");
    // An image of DX256 size is still an image: the image test comes first.
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 131072;
    EXPECT_EQ(KindOf("small.z64", samples::MakeImage(recipe)), FileKind::Image);
}

TEST_F(IdentifyTest, MemoryPaksAndSavesKnownByTheirExtension) {
    Bytes pak = samples::MakeMemoryPak(1, 1);
    EXPECT_EQ(KindOf("SURGEON.SAV", pak), FileKind::MemoryPak); // any name
    EXPECT_EQ(image.Title(), "Memory Pak");
    pak[0x20] ^= 1; // the first ID copy broken: the backups still make it a pak
    EXPECT_EQ(KindOf("damaged", pak), FileKind::MemoryPak);
    Bytes dex(36928, 0);
    std::copy_n("123-456-STD", 11, dex.begin());
    EXPECT_EQ(KindOf("card.n64", dex), FileKind::MemoryPak);
    EXPECT_EQ(KindOf("blank.mpk", Bytes(32768, 0), EngineResult::ErrFormat), FileKind::None);
    EXPECT_EQ(KindOf("game.eep", Bytes(2048, 1)), FileKind::GameSave);
    EXPECT_EQ(image.Title(), "EEPROM Save");
    EXPECT_EQ(KindOf("game.sra", Bytes(32768, 0)), FileKind::GameSave);
    // A FlashRAM save is no DX256 file, though it has the size of one.
    EXPECT_EQ(KindOf("GAME.FLA", Bytes(131072, 0)), FileKind::GameSave);
    EXPECT_EQ(KindOf("game.srm", Bytes(0x48800, 0)), FileKind::GameSave);
    EXPECT_EQ(KindOf("game.eep", Bytes(1000, 0), EngineResult::ErrFormat), FileKind::None);
}

TEST_F(IdentifyTest, FailuresSetKindNoneAndKeepFields) {
    KindOf("good.z64", samples::MakeImage({}));
    EXPECT_EQ(image.Identify(dir.File("missing")), EngineResult::ErrOpen);
    EXPECT_EQ(image.GetKind(), FileKind::None);
    EXPECT_EQ(image.Title(), "QUORVEL SAMPLE");
    EXPECT_EQ(image.Identify(std::string(1024, 'a')), EngineResult::ErrOpen);
    EXPECT_EQ(image.Identify(dir.Path()), EngineResult::ErrOpen); // a folder
    // A named pipe in a listed folder must not block the listing.
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_EQ(image.Identify(dir.File("pipe")), EngineResult::ErrOpen);
    EXPECT_EQ(KindOf("junk.dat", samples::MakeUnknown(), EngineResult::ErrFormat), FileKind::None);
}

TEST_F(IdentifyTest, GettersAnswerNotLoadedAfterClear) {
    KindOf("good.z64", samples::MakeImage({}));
    image.Clear();
    std::string text = "x";
    EXPECT_EQ(image.GetTitle(text), EngineResult::ErrNotLoaded);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(image.GetFileSize(), -3);
    EXPECT_EQ(image.GetSizeMbit(), -3.0f);
    EXPECT_EQ(image.GetCountryCode(), -3);
    EXPECT_EQ(image.GetKind(), FileKind::Image); // the kind answers even when not loaded
}

TEST(Presentation, PanelFormatsAtTheirBoundaries) {
    EXPECT_EQ(FormatFileSize(10239), "10.00 K");
    EXPECT_EQ(FormatFileSize(10240), "0.01 MB");
    EXPECT_EQ(FormatFileSize(8388608), "8.00 MB");
    EXPECT_EQ(FormatImageSize(SizeInMbit(8388608)), "64.0 MBit");
    EXPECT_EQ(FormatImageSize(SizeInMbit(262144)), "2.0 MBit");
    EXPECT_EQ(FormatTerritoryCode('E'), "69 - E");
    EXPECT_EQ(FormatManufacturer('N'), "N - Nintendo");
    EXPECT_EQ(FormatManufacturer('Q'), "Q - Unknown");
    EXPECT_EQ(CountryName('A', FileKind::Image), "Japan");
    EXPECT_EQ(CountryName('U', FileKind::Image), "Australia");
    EXPECT_EQ(CountryName('Z', FileKind::Image), "Unknown");
    EXPECT_EQ(CountryName('Z', FileKind::Doctor64Bios), "");
}

TEST(TrimRightTest, RemovesOnlyTrailingSpaces) {
    std::string a = "  AB C  ", b = "    ", c;
    TrimRight(a), TrimRight(b), TrimRight(c);
    EXPECT_EQ(a, "  AB C");
    EXPECT_EQ(b, "");
    EXPECT_EQ(c, "");
}

} // namespace
} // namespace q64
