// The panel's save type: the header's developer byte at once, else the ROM
// database's answer, looked up on a worker thread and kept per file.
#include "browser/SaveTypeLookup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "browser/InfoPanel.h"
#include "engine/ImageHash.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

samples::Bytes Image(const std::string& cartId, std::uint8_t byte3F, std::uint32_t seed) {
    samples::ImageRecipe recipe;
    recipe.cartId = cartId;
    recipe.sizeBytes = 65536;
    recipe.seed = seed;
    samples::Bytes image = samples::MakeImage(recipe);
    image[0x3F] = byte3F;
    return image;
}

TEST(SaveTypeLookup, TheHeaderAnswersAtOnceAndTheDatabaseOffTheInterfacesThread) {
    test::TempDir dir;
    RomImage image;
    ASSERT_EQ(image.Identify(dir.Write("declared.z64", samples::InOrder(Image("ED", 0x50, 1), ImageFormat::ByteSwapped))),
              EngineResult::Ok);
    EXPECT_EQ(DescribeLoaded(image).saveType, "FlashRAM");

    const samples::Bytes listed = Image("QS", 0, 2);
    CanonicalHasher hasher(ImageFormat::BigEndian, Digests::Database);
    hasher.Add(listed.data(), listed.size());
    const std::string md5 = HexDigestUpper(hasher.Finish().md5);
    const std::string ini = "[" + md5 + "]\nGoodName=Listed (U)\nSaveType=SRAM\n";
    const std::string database = dir.Write("db.ini", samples::Bytes(ini.begin(), ini.end()));
    const std::string listedPath = dir.Write("listed.z64", listed);
    const std::string unlistedPath = dir.Write("unlisted.z64", Image("QT", 0, 3));

    std::mutex mutex;
    std::condition_variable arrived;
    int answers = 0;
    SaveTypeLookup lookup(database, [&] {
        const std::lock_guard<std::mutex> lock(mutex);
        ++answers;
        arrived.notify_all();
    });
    auto waitFor = [&](int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(20), [&] { return answers >= count; });
    };
    EXPECT_EQ(lookup.Find(listedPath), std::nullopt); // looked up, not waited for
    ASSERT_TRUE(waitFor(1));
    EXPECT_EQ(lookup.Find(listedPath), "SRAM 256k");
    EXPECT_EQ(lookup.Find(unlistedPath), std::nullopt);
    ASSERT_TRUE(waitFor(2));
    EXPECT_EQ(lookup.Find(unlistedPath), "unknown");
    EXPECT_EQ(lookup.Find(dir.File("gone.z64")), "unknown");
}

} // namespace
} // namespace q64
