// Little-endian images (every 32-bit word reversed): identification, the
// conversions between all three orders byte for byte, and the operations
// that work in the file's own order or refuse it.

#include <gtest/gtest.h>

#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/Compression.h"
#include "engine/IpsPatch.h"
#include "engine/Resize.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "engine/Territory.h"
#include "engine/Title.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

constexpr ImageFormat kOrders[] = {ImageFormat::ByteSwapped, ImageFormat::BigEndian, ImageFormat::LittleEndian};

samples::ImageRecipe Recipe(ImageFormat format, std::size_t size = 3 * 32768 + 1000) {
    samples::ImageRecipe recipe;
    recipe.title = "LITTLE WORDS";
    recipe.cartId = "LW";
    recipe.territory = 'J';
    recipe.maker = 'N';
    recipe.sizeBytes = size;
    recipe.format = format;
    return recipe;
}

TEST(ByteOrderHelpers, ToCanonicalOfTheFirstWordOfEachOrder) {
    struct Case {
        ImageFormat format;
        Bytes file;
    };
    const Case cases[] = {{ImageFormat::BigEndian, {0x80, 0x37, 0x12, 0x40, 1, 2, 3, 4, 5}},
                          {ImageFormat::ByteSwapped, {0x37, 0x80, 0x40, 0x12, 2, 1, 4, 3, 5}},
                          {ImageFormat::LittleEndian, {0x40, 0x12, 0x37, 0x80, 4, 3, 2, 1, 5}}};
    for (const Case& c : cases) {
        Bytes bytes = c.file;
        ToCanonical(bytes.data(), bytes.size(), c.format);
        EXPECT_EQ(bytes, (Bytes{0x80, 0x37, 0x12, 0x40, 1, 2, 3, 4, 5})) << static_cast<int>(c.format);
        FromCanonical(bytes.data(), bytes.size(), c.format);
        EXPECT_EQ(bytes, c.file);
    }
}

TEST(ByteOrderHelpers, ReverseWordsMatchesTheSampleReversalForEveryLength) {
    for (std::size_t length = 0; length <= 21; ++length) {
        Bytes bytes(length);
        for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i + 1);
        Bytes reversed = bytes;
        ReverseWords(reversed.data(), reversed.size());
        EXPECT_EQ(reversed, samples::ReverseWords(bytes)) << length;
    }
}

TEST(LittleEndianIdentify, ReadsTheHeaderThroughTheWordReversal) {
    test::TempDir dir;
    for (ImageFormat format : kOrders) {
        const std::string path = dir.Write("game.n64", samples::MakeImage(Recipe(format)));
        RomImage image;
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        EXPECT_EQ(image.GetKind(), FileKind::Image);
        EXPECT_EQ(image.ByteOrder(), format);
        EXPECT_EQ(image.Title(), "LITTLE WORDS");
        EXPECT_EQ(image.CartId(), "LW");
        EXPECT_EQ(image.TerritoryCode(), 'J');
        EXPECT_EQ(image.MakerCode(), 'N');
        EXPECT_FALSE(image.Compressed());
    }
}

TEST(LittleEndianIdentify, SizeNotAWholeNumberOfWordsIsNotRecognised) {
    test::TempDir dir;
    for (std::size_t extra : {1u, 2u, 3u}) {
        const std::string path = dir.Write("odd.n64", samples::MakeImage(Recipe(ImageFormat::LittleEndian, 65536 + extra)));
        RomImage image;
        EXPECT_EQ(image.Identify(path), EngineResult::ErrFormat) << extra;
    }
}

TEST(LittleEndianIdentify, TaggedSaveStaysASaveWhateverItsName) {
    test::TempDir dir;
    RomImage image;
    ASSERT_EQ(image.Identify(dir.Write("save.n64", samples::MakeTaggedSave("GAME"))), EngineResult::Ok);
    EXPECT_EQ(image.GetKind(), FileKind::TaggedSave);
}

TEST(LittleEndianIdentify, CompressedMarkerInReversedOrderIsNotAnImage) {
    test::TempDir dir;
    Bytes bytes = samples::MakeImage(Recipe(ImageFormat::LittleEndian));
    bytes[1] = 0x13;
    RomImage image;
    EXPECT_EQ(image.Identify(dir.Write("c.n64", bytes)), EngineResult::ErrFormat);
}

TEST(LittleEndianIdentify, PanelNamesEveryOrder) {
    EXPECT_EQ(FormatByteOrder(ImageFormat::BigEndian), "SP64/WC/Z64");
    EXPECT_EQ(FormatByteOrder(ImageFormat::ByteSwapped), "Doctor 64");
    EXPECT_EQ(FormatByteOrder(ImageFormat::LittleEndian), "N64 (little-endian)");
}

struct Conversion {
    ImageFormat from;
    ImageFormat to;
};

class ConvertEveryDirection : public ::testing::TestWithParam<Conversion> {};

TEST_P(ConvertEveryDirection, WritesExactlyTheOtherOrder) {
    const Conversion c = GetParam();
    test::TempDir dir;
    const Bytes canonical = samples::MakeImage(Recipe(ImageFormat::BigEndian));
    const std::string path = dir.Write("game.rom", samples::InOrder(canonical, c.from));
    RomImage image;
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    ASSERT_EQ(ConvertByteOrder(image, c.to, BackupMode::Temporary, {}), EngineResult::Ok);
    EXPECT_EQ(dir.Read("game.rom"), samples::InOrder(canonical, c.to));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.rom"});
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    EXPECT_EQ(image.ByteOrder(), c.to);
    EXPECT_EQ(image.Title(), "LITTLE WORDS");
}

INSTANTIATE_TEST_SUITE_P(
    AllNine, ConvertEveryDirection,
    ::testing::Values(Conversion{ImageFormat::BigEndian, ImageFormat::ByteSwapped},
                      Conversion{ImageFormat::BigEndian, ImageFormat::LittleEndian},
                      Conversion{ImageFormat::BigEndian, ImageFormat::BigEndian},
                      Conversion{ImageFormat::ByteSwapped, ImageFormat::BigEndian},
                      Conversion{ImageFormat::ByteSwapped, ImageFormat::LittleEndian},
                      Conversion{ImageFormat::ByteSwapped, ImageFormat::ByteSwapped},
                      Conversion{ImageFormat::LittleEndian, ImageFormat::BigEndian},
                      Conversion{ImageFormat::LittleEndian, ImageFormat::ByteSwapped},
                      Conversion{ImageFormat::LittleEndian, ImageFormat::LittleEndian}));

TEST(ChangeImageFormat, LittleEndianBecomesBigEndianThenToggles) {
    test::TempDir dir;
    const Bytes canonical = samples::MakeImage(Recipe(ImageFormat::BigEndian));
    const std::string path = dir.Write("game.n64", samples::InOrder(canonical, ImageFormat::LittleEndian));
    const ImageFormat expected[] = {ImageFormat::BigEndian, ImageFormat::ByteSwapped, ImageFormat::BigEndian};
    for (ImageFormat next : expected) {
        RomImage image;
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        ASSERT_EQ(FlipByteOrder(image, BackupMode::Temporary, {}), EngineResult::Ok);
        EXPECT_EQ(dir.Read("game.n64"), samples::InOrder(canonical, next));
    }
}

TEST(ChangeImageFormat, ToLittleEndianRefusesAPartialWordAndTouchesNothing) {
    test::TempDir dir;
    const Bytes original = samples::MakeImage(Recipe(ImageFormat::BigEndian, 65538));
    const std::string path = dir.Write("game.z64", original);
    RomImage image;
    std::vector<std::string> said;
    image.SetMessageSink([&](const std::string& text) { said.push_back(text); });
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    EXPECT_EQ(ConvertByteOrder(image, ImageFormat::LittleEndian, BackupMode::Keep, {}), EngineResult::ErrFormat);
    EXPECT_EQ(said, std::vector<std::string>{kNotWholeWords});
    EXPECT_EQ(dir.Read("game.z64"), original);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
}

TEST(LittleEndianOperations, ChecksumIsTheSameInEveryOrderAndTheFixMatches) {
    test::TempDir dir;
    const Bytes canonical = samples::MakeImage(Recipe(ImageFormat::BigEndian, 1052672));
    Bytes fixedCanonical;
    for (ImageFormat format : {ImageFormat::BigEndian, ImageFormat::LittleEndian, ImageFormat::ByteSwapped}) {
        const std::string path = dir.Write("crc.rom", samples::InOrder(canonical, format));
        RomImage image;
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        ChecksumValues values;
        ASSERT_EQ(CalcChecksum(image, BackupMode::Temporary, ChecksumFix::Yes, values), EngineResult::Ok);
        Bytes back = dir.Read("crc.rom");
        ToCanonical(back.data(), back.size(), format);
        if (fixedCanonical.empty()) fixedCanonical = back;
        EXPECT_EQ(back, fixedCanonical) << static_cast<int>(format);
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        ASSERT_EQ(CalcChecksum(image, BackupMode::Temporary, ChecksumFix::No, values), EngineResult::Ok);
        EXPECT_TRUE(values.Valid());
    }
}

TEST(LittleEndianOperations, TitleIsWrittenThroughTheWordReversal) {
    test::TempDir dir;
    const std::string path = dir.Write("t.n64", samples::MakeImage(Recipe(ImageFormat::LittleEndian)));
    RomImage image;
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    ASSERT_EQ(EditTitle(image, BackupMode::Temporary, "NEW NAME"), EngineResult::Ok);
    samples::ImageRecipe renamed = Recipe(ImageFormat::LittleEndian);
    renamed.title = "NEW NAME";
    EXPECT_EQ(dir.Read("t.n64"), samples::MakeImage(renamed));
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    EXPECT_EQ(image.Title(), "NEW NAME");
}

TEST(LittleEndianOperations, ResizeKeepsTheOrderAndPadsWithZeros) {
    test::TempDir dir;
    const Bytes original = samples::MakeImage(Recipe(ImageFormat::LittleEndian, 2 * 131072));
    const std::string path = dir.Write("r.n64", original);
    RomImage image;
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    ASSERT_EQ(ResizeImage(image, 4 * 131072, BackupMode::Temporary, {}), EngineResult::Ok);
    Bytes expected = original;
    expected.resize(4 * 131072, 0);
    EXPECT_EQ(dir.Read("r.n64"), expected);
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    EXPECT_EQ(image.ByteOrder(), ImageFormat::LittleEndian);
    EXPECT_EQ(ResizeImage(image, 131072 + 2, BackupMode::Temporary, {}), EngineResult::ErrFormat);
}

TEST(LittleEndianOperations, CompressAndIpsPatchRefuseWithTheConvertFirstMessage) {
    test::TempDir dir;
    const Bytes original = samples::MakeImage(Recipe(ImageFormat::LittleEndian));
    const std::string path = dir.Write("p.n64", original);
    const std::string patch = dir.Write("p.ips", samples::MakeIps({{0x100, {1, 2, 3}, 0}}));
    RomImage image;
    std::vector<std::string> said;
    image.SetMessageSink([&](const std::string& text) { said.push_back(text); });
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    EXPECT_EQ(CompressImage(image, 6, BackupMode::Keep, {}), EngineResult::ErrFormat);
    EXPECT_EQ(ApplyIpsPatch(image, BackupMode::Keep, patch), EngineResult::ErrFormat);
    EXPECT_EQ(said, (std::vector<std::string>{kConvertLittleEndianFirst, kConvertLittleEndianFirst}));
    EXPECT_EQ(dir.Read("p.n64"), original);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"p.ips", "p.n64"}));
}

} // namespace
} // namespace q64
