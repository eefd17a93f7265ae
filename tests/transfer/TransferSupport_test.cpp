// The pieces under the protocols: the container reader that refuses a body of
// the wrong length, the receive file that never leaves a partial file, and the
// priority boost that always gives the old priority back.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include "support/TempDir.h"
#include "transfer/ContainerInflater.h"
#include "transfer/ReceiveFile.h"
#include "transfer/ThreadPriority.h"

namespace q64::test {
namespace {

using samples::Bytes;

samples::ImageSpec Spec(std::size_t size) {
    samples::ImageSpec spec;
    spec.sizeBytes = size;
    return spec;
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
        auto spec = Spec(10000);
        spec.format = format;
        const Bytes plain = samples::MakeImage(spec);
        ContainerInflater reader;
        ASSERT_EQ(reader.Open(dir.Write("c.z64", samples::MakeCompressedImage(spec)), format, 256), EngineResult::Ok);
        EXPECT_EQ(reader.ImageSize(), plain.size());
        Bytes out(reader.Header(), reader.Header() + 64);
        EXPECT_EQ(ReadAll(reader, out), 0);
        EXPECT_TRUE(out == plain);
    }
}

TEST(ContainerInflater, StoredSizeThatDisagreesWithTheStreamIsAnError) {
    TempDir dir;
    for (int delta : {-2, +2}) {
        Bytes packed = samples::MakeCompressedImage(Spec(5000));
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
    Bytes packed = samples::MakeCompressedImage(Spec(5000));
    ContainerInflater cut;
    EXPECT_EQ(cut.Open(dir.Write("cut.z64", Bytes(packed.begin(), packed.begin() + 66)), ImageFormat::BigEndian, 4096),
              EngineResult::ErrOpen);
    packed[64] = 10; // S below the header size
    packed[65] = packed[66] = packed[67] = 0;
    ContainerInflater tiny;
    EXPECT_EQ(tiny.Open(dir.Write("tiny.z64", packed), ImageFormat::BigEndian, 4096), EngineResult::ErrFormat);
}

TEST(ReceiveFile, ReplacesTheTargetOnlyOnCommit) {
    TempDir dir;
    const std::string target = dir.Write("t.bin", {9, 9});
    {
        ReceiveFile file(target);
        ASSERT_TRUE(file.Create());
        EXPECT_TRUE(file.Write("abc", 3));
        EXPECT_EQ(dir.Names().size(), 2u);
    } // dropped without Commit
    EXPECT_TRUE(dir.Read("t.bin") == (Bytes{9, 9}));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.bin"});
    ReceiveFile file(target);
    ASSERT_TRUE(file.Create());
    EXPECT_TRUE(file.Write("abc", 3));
    EXPECT_TRUE(file.Commit());
    EXPECT_TRUE(dir.Read("t.bin") == (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.bin"});
}

TEST(ThreadPriorityBoost, GivesThePriorityBack) {
    const int before = ::getpriority(PRIO_PROCESS, 0);
    { ThreadPriorityBoost boost; }
    EXPECT_EQ(::getpriority(PRIO_PROCESS, 0), before);
}

} // namespace
} // namespace q64::test
