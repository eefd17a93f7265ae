#include <gtest/gtest.h>

#include "engine/RomImage.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

TEST(RomImageSmoke, IdentifiesBigEndianImage) {
    test::TempDir dir;
    samples::ImageSpec spec;
    const std::string path = dir.Write("a.z64", samples::MakeImage(spec));
    RomImage image;
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    EXPECT_EQ(image.GetKind(), FileKind::Image);
    EXPECT_EQ(image.Title(), "QUORVEL SAMPLE");
}

} // namespace
} // namespace q64
