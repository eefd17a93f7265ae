// Verify Images: matching through the SQLite hash cache (hit, stale, damaged),
// folders, and Rename to DAT Names.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include "browser/VerifyImages.h"
#include "browser/cache/SqliteHashCache.h"
#include "engine/ImageHash.h"
#include "engine/SampleFiles.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

Bytes Image(std::uint32_t seed, ImageFormat format = ImageFormat::BigEndian) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 65536;
    recipe.seed = seed;
    recipe.format = format;
    return samples::MakeImage(recipe);
}

std::string RomLine(const std::string& game, const Bytes& canonical) {
    Sha1 sha1;
    sha1.Update(canonical.data(), canonical.size());
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(crc32(0, canonical.data(), static_cast<uInt>(canonical.size()))));
    return "<game name=\"" + game + "\"><rom name=\"" + game + ".z64\" size=\"" + std::to_string(canonical.size()) +
           "\" crc=\"" + crc + "\" sha1=\"" + HexDigest(sha1.Finish()) + "\"/></game>";
}

class VerifyImages : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string text = "<datafile>" + RomLine("Game One (E)", Image(1)) + RomLine("Game Two (U)", Image(2)) +
                                 "<game name=\"Game Three (J)\"><rom name=\"Game Three (J).z64\" size=\"1\"/></game></datafile>";
        std::string message;
        ASSERT_TRUE(ParseDat(text, dat_, message)) << message;
        index_ = std::make_unique<DatIndex>(dat_);
    }
    std::vector<VerifyRow> Verify(const std::vector<std::string>& names, HashCache* cache) {
        return VerifyFiles(names, *index_, cache, {});
    }
    std::string CachePath() const { return cacheDir_.File("hashes.sqlite"); }

    test::TempDir dir_;
    test::TempDir cacheDir_;
    DatFile dat_;
    std::unique_ptr<DatIndex> index_;
};

TEST_F(VerifyImages, GoodBadUnknownAndNotImageInAFolder) {
    dir_.Write("one.v64", Image(1, ImageFormat::ByteSwapped));
    dir_.Write("two.n64", Image(2, ImageFormat::LittleEndian));
    dir_.Write("Game Three (J).z64", Image(3));
    dir_.Write("four.z64", Image(4));
    dir_.Write("notes.txt", samples::MakeText());
    const auto rows = Verify({dir_.Path()}, nullptr);
    ASSERT_EQ(rows.size(), 4u); // the text file is left out
    EXPECT_EQ(rows[0].outcome, VerifyOutcome::Bad);
    EXPECT_EQ(rows[0].game, "Game Three (J)");
    EXPECT_EQ(rows[1].outcome, VerifyOutcome::Unknown);
    EXPECT_EQ(rows[2].outcome, VerifyOutcome::Good);
    EXPECT_EQ(rows[2].game, "Game One (E)");
    EXPECT_EQ(rows[3].outcome, VerifyOutcome::Good);
    EXPECT_EQ(rows[3].game, "Game Two (U)");
    EXPECT_EQ(Verify({dir_.File("notes.txt")}, nullptr).front().outcome, VerifyOutcome::NotImage);
    EXPECT_EQ(Verify({dir_.File("gone.z64")}, nullptr).front().outcome, VerifyOutcome::Unreadable);
}

TEST_F(VerifyImages, GoodImageWithAnInvalidHeaderChecksumIsMarkedNotFixed) {
    const Bytes before = Image(1);
    const std::string path = dir_.Write("one.z64", before);
    const auto rows = Verify({path}, nullptr);
    ASSERT_EQ(rows.front().outcome, VerifyOutcome::Good);
    EXPECT_TRUE(rows.front().ChecksumInvalidButGood());
    EXPECT_EQ(dir_.Read("one.z64"), before);
}

TEST_F(VerifyImages, SecondRunComesFromTheCacheWithoutReadingTheImage) {
    const std::string path = dir_.Write("one.z64", Image(1));
    SqliteHashCache cache(CachePath());
    ASSERT_TRUE(cache.Usable());
    EXPECT_FALSE(Verify({path}, &cache).front().fromCache);
    // Same size, time and inode, other content: only a read would notice.
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    {
        Bytes other = Image(9);
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 0), static_cast<ssize_t>(other.size()));
        ::close(fd);
        const timespec times[2] = {info.st_atim, info.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    const auto warm = Verify({path}, &cache);
    EXPECT_TRUE(warm.front().fromCache);
    EXPECT_EQ(warm.front().outcome, VerifyOutcome::Good);
}

TEST_F(VerifyImages, ChangedFileIsHashedAgain) {
    const std::string path = dir_.Write("one.z64", Image(1));
    SqliteHashCache cache(CachePath());
    ASSERT_EQ(Verify({path}, &cache).front().outcome, VerifyOutcome::Good);
    dir_.Write("one.z64", Image(5));
    const timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    const auto rows = Verify({path}, &cache);
    EXPECT_FALSE(rows.front().fromCache);
    EXPECT_EQ(rows.front().outcome, VerifyOutcome::Unknown);
}

TEST_F(VerifyImages, CacheSurvivesReopeningAndADamagedFileIsRebuilt) {
    const std::string path = dir_.Write("one.z64", Image(1));
    {
        SqliteHashCache cache(CachePath());
        Verify({path}, &cache);
    }
    {
        SqliteHashCache cache(CachePath());
        EXPECT_FALSE(cache.WasRebuilt());
        EXPECT_TRUE(Verify({path}, &cache).front().fromCache);
    }
    samples::WriteFile(CachePath(), Bytes(4096, 0xA5));
    SqliteHashCache cache(CachePath());
    EXPECT_TRUE(cache.WasRebuilt());
    ASSERT_TRUE(cache.Usable());
    EXPECT_FALSE(Verify({path}, &cache).front().fromCache);
    EXPECT_TRUE(Verify({path}, &cache).front().fromCache);
}

TEST_F(VerifyImages, CacheInAFolderThatCannotExistIsSimplyNotUsed) {
    const std::string blocker = dir_.Write("file", samples::MakeText());
    SqliteHashCache cache(blocker + "/sub/hashes.sqlite");
    EXPECT_FALSE(cache.Usable());
    const std::string path = dir_.Write("one.z64", Image(1));
    EXPECT_EQ(Verify({path}, &cache).front().outcome, VerifyOutcome::Good);
}

TEST_F(VerifyImages, RenameGivesTheDatNameWithTheOrdersExtensionAndNeverReplaces) {
    dir_.Write("one.v64", Image(1, ImageFormat::ByteSwapped));
    dir_.Write("two.n64", Image(2, ImageFormat::LittleEndian));
    dir_.Write("Game Two (U).n64", samples::MakeText()); // in the way
    dir_.Write("four.z64", Image(4));
    const auto rows = Verify({dir_.Path()}, nullptr);
    const auto renamed = RenameToDatNames(rows);
    ASSERT_EQ(renamed.size(), 3u);
    EXPECT_TRUE(dir_.Exists("Game One (E).v64"));
    EXPECT_FALSE(dir_.Exists("one.v64"));
    EXPECT_TRUE(dir_.Exists("two.n64"));
    EXPECT_EQ(dir_.Read("Game Two (U).n64"), samples::MakeText());
    EXPECT_TRUE(dir_.Exists("four.z64"));
    int renamedCount = 0, exists = 0;
    for (const RenameRow& r : renamed) {
        renamedCount += r.outcome == RenameOutcome::Renamed;
        exists += r.outcome == RenameOutcome::Exists;
    }
    EXPECT_EQ(renamedCount, 1);
    EXPECT_EQ(exists, 1);
}

} // namespace
} // namespace q64
