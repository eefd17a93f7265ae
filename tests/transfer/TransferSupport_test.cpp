// The pieces under the protocols: the container reader that refuses a body of
// the wrong length, the receive file that never leaves a partial file, and the
// priority boost that always gives the old priority back.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include "support/TempDir.h"
#include "transfer/ContainerInflater.h"
#include "transfer/ThreadPriority.h"

namespace q64::test {
namespace {

using samples::Bytes;

samples::ImageRecipe Recipe(std::size_t size) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = size;
    return recipe;
}

// Reads the whole body; -1 when the reader refused it.
long ReadAll(ContainerInflater& reader, Bytes& out) {
    std::uint8_t chunk[1000];
    for (;;) {
        const long got = reader.Read(chunk, sizeof chunk);
        if (got <= 0) return got;
        out.insert(out.end(), chunk, chunk + got);
    }
}

TEST(ContainerInflater, GivesTheRestoredHeaderAndTheExactBody) {
    TempDir dir;
    for (ImageFormat format : {ImageFormat::BigEndian, ImageFormat::ByteSwapped}) {
        auto recipe = Recipe(10000);
        recipe.format = format;
        const Bytes plain = samples::MakeImage(recipe);
        ContainerInflater reader;
        ASSERT_EQ(reader.Open(dir.Write("c.z64", samples::MakeCompressedImage(recipe)), format, 256), EngineResult::Ok);
        EXPECT_EQ(reader.ImageSize(), plain.size());
        Bytes out(reader.Header(), reader.Header() + 64);
        EXPECT_EQ(ReadAll(reader, out), 0);
        EXPECT_TRUE(out == plain);
    }
}

TEST(ContainerInflater, StoredSizeThatDisagreesWithTheStreamIsAnError) {
    TempDir dir;
    for (int delta : {-2, +2}) {
        Bytes packed = samples::MakeCompressedImage(Recipe(5000));
        const std::uint32_t wrong = 5000 + delta;
        for (int i = 0; i < 4; ++i) packed[64 + i] = static_cast<std::uint8_t>(wrong >> (8 * i));
        ContainerInflater reader;
        ASSERT_EQ(reader.Open(dir.Write("c.z64", packed), ImageFormat::BigEndian, 4096), EngineResult::Ok);
        Bytes out;
        EXPECT_EQ(ReadAll(reader, out), -1) << delta;
    }
}

TEST(ContainerInflater, ShortOrImpossibleContainersAreRefusedAtOpen) {
    TempDir dir;
    ContainerInflater missing;
    EXPECT_EQ(missing.Open(dir.File("none.z64"), ImageFormat::BigEndian, 4096), EngineResult::ErrOpen);
    Bytes packed = samples::MakeCompressedImage(Recipe(5000));
    ContainerInflater cut;
    EXPECT_EQ(cut.Open(dir.Write("cut.z64", Bytes(packed.begin(), packed.begin() + 66)), ImageFormat::BigEndian, 4096),
              EngineResult::ErrOpen);
    packed[64] = 10; // S below the header size
    packed[65] = packed[66] = packed[67] = 0;
    ContainerInflater tiny;
    EXPECT_EQ(tiny.Open(dir.Write("tiny.z64", packed), ImageFormat::BigEndian, 4096), EngineResult::ErrFormat);
}

TEST(ThreadPriorityBoost, GivesThePriorityBack) {
    const int before = ::getpriority(PRIO_PROCESS, 0);
    { ThreadPriorityBoost boost; }
    EXPECT_EQ(::getpriority(PRIO_PROCESS, 0), before);
}

} // namespace
} // namespace q64::test
