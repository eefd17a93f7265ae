// Image hashes: the canonical bytes whatever the order or container, known
// SHA-1 answers, chunking that splits words, and the header checksum check.

#include <gtest/gtest.h>

#include <zlib.h>

#include "engine/Checksum.h"
#include "engine/ImageHash.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

std::string Sha1Of(const Bytes& bytes) {
    Sha1 sha1;
    sha1.Update(bytes.data(), bytes.size());
    return HexDigest(sha1.Finish());
}

TEST(Sha1, KnownAnswers) {
    EXPECT_EQ(Sha1Of({}), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Sha1Of({'a', 'b', 'c'}), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(Sha1, HexRoundTripAndRejects) {
    Sha1Digest digest{};
    ASSERT_TRUE(ParseHexDigest("A9993E364706816ABA3E25717850C26C9CD0D89D", digest));
    EXPECT_EQ(HexDigest(digest), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_FALSE(ParseHexDigest("a9993e", digest));
    EXPECT_FALSE(ParseHexDigest("g9993e364706816aba3e25717850c26c9cd0d89d", digest));
}

TEST(CanonicalHasher, OddChunksGiveTheHashOfTheCanonicalBytes) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 9000;
    const Bytes canonical = samples::MakeImage(recipe);
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, canonical.data(), static_cast<uInt>(canonical.size())));
    for (ImageFormat format : {ImageFormat::BigEndian, ImageFormat::ByteSwapped, ImageFormat::LittleEndian}) {
        const Bytes file = samples::InOrder(canonical, format);
        for (std::size_t chunk : {1u, 3u, 5u, 4096u, 9000u}) {
            CanonicalHasher hasher(format);
            for (std::size_t at = 0; at < file.size(); at += chunk)
                hasher.Add(file.data() + at, std::min(chunk, file.size() - at));
            const ImageHashes h = hasher.Finish();
            EXPECT_EQ(HexDigest(h.sha1), Sha1Of(canonical)) << static_cast<int>(format) << " " << chunk;
            EXPECT_EQ(h.crc32, crc);
            EXPECT_EQ(h.size, canonical.size());
        }
    }
}

TEST(HashImageFile, EveryOrderAndTheCompressedContainerHashTheSame) {
    test::TempDir dir;
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 3 * 1048576 / 2;
    const Bytes canonical = samples::MakeImage(recipe);
    struct Case {
        const char* name;
        Bytes bytes;
        bool compressed;
    };
    samples::ImageRecipe swapped = recipe;
    swapped.format = ImageFormat::ByteSwapped;
    const Case cases[] = {{"a.z64", canonical, false},
                          {"a.v64", samples::InOrder(canonical, ImageFormat::ByteSwapped), false},
                          {"a.n64", samples::InOrder(canonical, ImageFormat::LittleEndian), false},
                          {"c.z64", samples::MakeCompressedImage(recipe), true},
                          {"c.v64", samples::MakeCompressedImage(swapped), true}};
    for (const Case& c : cases) {
        ImageHashes h;
        std::string message;
        ASSERT_EQ(HashImageFile(dir.Write(c.name, c.bytes), h, {}, message), EngineResult::Ok) << c.name << message;
        EXPECT_EQ(HexDigest(h.sha1), Sha1Of(canonical)) << c.name;
        EXPECT_EQ(h.size, canonical.size());
        EXPECT_EQ(h.compressed, c.compressed);
    }
}

TEST(HashImageFile, HeaderChecksumAgreesWithTheChecksumCommand) {
    test::TempDir dir;
    const std::string path = dir.Write("crc.n64", samples::MakeImage({.sizeBytes = 1052672, .format = ImageFormat::LittleEndian}));
    for (ChecksumFix fix : {ChecksumFix::No, ChecksumFix::Yes}) {
        RomImage image;
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        ChecksumValues values;
        ASSERT_EQ(CalcChecksum(image, BackupMode::Temporary, fix, values), EngineResult::Ok);
        ImageHashes h;
        std::string message;
        ASSERT_EQ(HashImageFile(path, h, {}, message), EngineResult::Ok);
        EXPECT_TRUE(h.hasChecksum);
        EXPECT_EQ(h.checksumValid, fix == ChecksumFix::Yes);
    }
}

TEST(HashImageFile, RefusesWhatIsNoImageAndADamagedContainer) {
    test::TempDir dir;
    ImageHashes h;
    std::string message;
    EXPECT_EQ(HashImageFile(dir.Write("t.txt", samples::MakeText()), h, {}, message), EngineResult::ErrFormat);
    EXPECT_EQ(HashImageFile(dir.File("missing.z64"), h, {}, message), EngineResult::ErrOpen);
    Bytes cut = samples::MakeCompressedImage({});
    cut.resize(cut.size() / 2);
    EXPECT_EQ(HashImageFile(dir.Write("cut.z64", cut), h, {}, message), EngineResult::ErrFailed);
    EXPECT_EQ(message, "The compressed image is damaged");
}

TEST(HashImageFile, CancelStops) {
    test::TempDir dir;
    const std::string path = dir.Write("big.z64", samples::MakeImage({.sizeBytes = 4 * 1048576}));
    ImageHashes h;
    std::string message;
    EXPECT_EQ(HashImageFile(path, h, [](int) { return kProgressCancelled; }, message), EngineResult::ErrCancelled);
}

} // namespace
} // namespace q64
