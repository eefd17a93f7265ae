#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/BpsPatch.h"
#include "engine/Patches.h"
#include "engine/PatchMaker.h"
#include "engine/RomImage.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

class PatchFiles : public ::testing::Test {
protected:
    void SetUp() override {
        image_.SetMessageSink([this](const std::string& text) { messages_.push_back(text); });
    }

    static Bytes Image(ImageFormat format, std::size_t size = 1 << 20, std::uint32_t seed = 3) {
        samples::ImageRecipe recipe;
        recipe.format = format;
        recipe.sizeBytes = size;
        recipe.seed = seed;
        return samples::MakeImage(recipe);
    }
    // A few changed stretches past the header, cut or padded to `size`.
    static Bytes Changed(Bytes image, std::size_t size) {
        for (std::size_t at = 0x1000; at + 16 < image.size(); at += 0x9000)
            for (std::size_t k = 0; k < 16; ++k) image[at + k] ^= static_cast<std::uint8_t>(0x31 + k);
        image.resize(size, 0);
        return image;
    }

    EngineResult Create(const std::string& original, const std::string& modified, const std::string& out,
                        PatchKind kind, BpsMethod method = BpsMethod::Delta, const ProgressFn& progress = {}) {
        EXPECT_EQ(image_.Identify(dir_.File(original)), EngineResult::Ok);
        const EngineResult result = CreatePatch(image_, dir_.File(modified), dir_.File(out), kind, method, progress);
        image_.Clear();
        return result;
    }
    EngineResult Apply(const std::string& file, const std::string& patch, BackupMode mode = BackupMode::Temporary) {
        EXPECT_EQ(image_.Identify(dir_.File(file)), EngineResult::Ok);
        const EngineResult result = ApplyPatch(image_, mode, dir_.File(patch));
        image_.Clear();
        return result;
    }
    std::string LastMessage() const { return messages_.empty() ? "" : messages_.back(); }

    test::TempDir dir_;
    RomImage image_;
    std::vector<std::string> messages_;
};

TEST_F(PatchFiles, DetectsTheKindByItsFirstBytes) {
    const std::vector<std::pair<std::string, PatchKind>> cases = {
        {"PATCHEOF", PatchKind::Ips}, {"BPS1", PatchKind::Bps}, {"BPS", PatchKind::Unknown},
        {"PATC", PatchKind::Unknown}, {"", PatchKind::Unknown},  {"UPS1", PatchKind::Unknown}};
    for (const auto& [text, kind] : cases)
        EXPECT_EQ(DetectPatchKind(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), kind) << text;
    EXPECT_EQ(PatchKindForName("/a/fix.BPS"), PatchKind::Bps);
    EXPECT_EQ(PatchKindForName("fix.bps"), PatchKind::Bps);
    EXPECT_EQ(PatchKindForName("fix.ips"), PatchKind::Ips);
    EXPECT_EQ(PatchKindForName("fix"), PatchKind::Ips);
}

TEST_F(PatchFiles, CreateThenApplyGivesTheModifiedImage) {
    const std::size_t base = 1 << 20;
    for (const ImageFormat format : {ImageFormat::BigEndian, ImageFormat::ByteSwapped}) {
        for (const std::size_t size : {base, base / 2, base + 100000}) {
            for (const PatchKind kind : {PatchKind::Ips, PatchKind::Bps}) {
                const Bytes original = Image(format);
                const Bytes modified = Changed(original, size);
                dir_.Write("Game.v64", original);
                dir_.Write("Hack.v64", modified);
                ASSERT_EQ(Create("Game.v64", "Hack.v64", "fix.pat", kind), EngineResult::Ok) << LastMessage();
                EXPECT_EQ(DetectPatchKind(dir_.Read("fix.pat").data(), dir_.Read("fix.pat").size()), kind);
                ASSERT_EQ(Apply("Game.v64", "fix.pat"), EngineResult::Ok) << LastMessage();
                EXPECT_EQ(dir_.Read("Game.v64"), modified) << size;
            }
        }
    }
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"Game.v64", "Hack.v64", "fix.pat"}));
}

TEST_F(PatchFiles, BpsApplyKeepsTheBackupWhenAskedTo) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("Hack.z64", Changed(original, original.size()));
    ASSERT_EQ(Create("Game.z64", "Hack.z64", "fix.bps", PatchKind::Bps), EngineResult::Ok);
    ASSERT_EQ(Apply("Game.z64", "fix.bps", BackupMode::Keep), EngineResult::Ok);
    EXPECT_EQ(dir_.Read("Game.bak"), original);
    EXPECT_EQ(dir_.Read("Game.z64"), dir_.Read("Hack.z64"));
}

TEST_F(PatchFiles, BpsForAnotherImageNamesTheSizesOrBothCrcs) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("Hack.z64", Changed(original, original.size()));
    ASSERT_EQ(Create("Game.z64", "Hack.z64", "fix.bps", PatchKind::Bps), EngineResult::Ok);
    const Bytes sameSize = Image(ImageFormat::BigEndian, 1 << 20, 4);
    char crcs[128];
    std::snprintf(crcs, sizeof crcs, "This patch is for an image with CRC-32 0x%08X, this image has 0x%08X",
                  Crc32(original.data(), original.size()), Crc32(sameSize.data(), sameSize.size()));
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {sameSize, crcs},
        {Image(ImageFormat::BigEndian, 1 << 19), "This patch is for an image of 1048576 bytes, this image has 524288"},
        {Changed(original, original.size() + 2), "This patch is for an image of 1048576 bytes, this image has 1048578"},
    };
    for (const auto& [other, message] : cases) {
        dir_.Write("Other.z64", other);
        EXPECT_EQ(Apply("Other.z64", "fix.bps"), EngineResult::ErrFormat);
        EXPECT_EQ(LastMessage(), message);
        EXPECT_EQ(dir_.Read("Other.z64"), other);
        EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"Game.z64", "Hack.z64", "Other.z64", "fix.bps"}));
    }
}

TEST_F(PatchFiles, BpsForTheOtherByteOrderSaysWhichOrderMatches) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("Hack.z64", Changed(original, original.size()));
    ASSERT_EQ(Create("Game.z64", "Hack.z64", "fix.bps", PatchKind::Bps), EngineResult::Ok);
    const Bytes swapped = samples::SwapPairs(original);
    dir_.Write("Game.v64", swapped);
    EXPECT_EQ(Apply("Game.v64", "fix.bps"), EngineResult::ErrFormat);
    EXPECT_EQ(LastMessage().rfind("This patch is for an image with CRC-32 0x", 0), 0u);
    EXPECT_NE(LastMessage().find("matches this image in the SP64/WC/Z64 byte order"), std::string::npos)
        << LastMessage();
    EXPECT_EQ(dir_.Read("Game.v64"), swapped);
}

TEST_F(PatchFiles, DamagedOrCutBpsChangesNothing) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("Hack.z64", Changed(original, original.size()));
    ASSERT_EQ(Create("Game.z64", "Hack.z64", "fix.bps", PatchKind::Bps), EngineResult::Ok);
    const Bytes patch = dir_.Read("fix.bps");
    Bytes flipped = patch;
    flipped[patch.size() / 2] ^= 1;
    for (const Bytes& bad : {flipped, Bytes(patch.begin(), patch.end() - 1), Bytes(patch.begin(), patch.begin() + 6)}) {
        dir_.Write("bad.bps", bad);
        messages_.clear();
        EXPECT_EQ(Apply("Game.z64", "bad.bps", BackupMode::Keep), EngineResult::ErrFormat);
        EXPECT_NE(LastMessage().find("is damaged"), std::string::npos) << LastMessage();
        EXPECT_EQ(dir_.Read("Game.z64"), original);
        EXPECT_FALSE(dir_.Exists("Game.bak"));
    }
}

TEST_F(PatchFiles, NeitherKindIsRefused) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("notes.txt", samples::MakeText());
    EXPECT_EQ(Apply("Game.z64", "notes.txt"), EngineResult::ErrNotPatch);
    EXPECT_EQ(LastMessage(), dir_.File("notes.txt") + " is not an IPS or BPS patch file");
    EXPECT_EQ(Apply("Game.z64", "missing.bps"), EngineResult::ErrOpen);
    EXPECT_EQ(dir_.Read("Game.z64"), original);
}

TEST_F(PatchFiles, CreateRefusesImagesInDifferentByteOrders) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("Hack.v64", samples::SwapPairs(Changed(original, original.size())));
    EXPECT_EQ(Create("Game.z64", "Hack.v64", "fix.ips", PatchKind::Ips), EngineResult::ErrFailed);
    EXPECT_EQ(LastMessage(), "The two images are in different byte orders (SP64/WC/Z64 and Doctor 64): "
                             "change the format of one of them first");
    EXPECT_FALSE(dir_.Exists("fix.ips"));
    // Two little-endian images agree in order, but no patch can be applied to one.
    const Bytes little = Image(ImageFormat::LittleEndian);
    dir_.Write("Game.n64", little);
    dir_.Write("Hack.n64", Changed(little, little.size()));
    EXPECT_EQ(Create("Game.n64", "Hack.n64", "fix.bps", PatchKind::Bps), EngineResult::ErrFormat);
    EXPECT_EQ(LastMessage(), "Little-Endian Image: use Change Image Format to Convert it First");
    EXPECT_FALSE(dir_.Exists("fix.bps"));
}

TEST_F(PatchFiles, CreateRefusesWhatItCannotDo) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("notes.txt", samples::MakeText());
    EXPECT_EQ(Create("Game.z64", "notes.txt", "fix.ips", PatchKind::Ips), EngineResult::ErrFailed);
    EXPECT_EQ(LastMessage(), dir_.File("notes.txt") + " is not an uncompressed image");
    dir_.Write("Packed.z64", samples::MakeCompressedImage({}));
    EXPECT_EQ(Create("Game.z64", "Packed.z64", "fix.ips", PatchKind::Ips), EngineResult::ErrFailed);
    EXPECT_EQ(Create("Game.z64", "Game.z64", "Game.z64", PatchKind::Bps), EngineResult::ErrFailed);
    EXPECT_EQ(dir_.Read("Game.z64"), original);

    const Bytes large = Image(ImageFormat::BigEndian, (16u << 20) + 2);
    dir_.Write("Large.z64", large);
    EXPECT_EQ(Create("Game.z64", "Large.z64", "fix.ips", PatchKind::Ips), EngineResult::ErrFormat);
    EXPECT_NE(LastMessage().find("BPS"), std::string::npos);
    EXPECT_FALSE(dir_.Exists("fix.ips"));
    EXPECT_EQ(Create("Game.z64", "Large.z64", "fix.bps", PatchKind::Bps), EngineResult::Ok);
}

TEST_F(PatchFiles, CreateReplacesAnOldPatchWhole) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("Hack.z64", Changed(original, original.size()));
    dir_.Write("fix.ips", Bytes(100000, 0x55));
    ASSERT_EQ(Create("Game.z64", "Hack.z64", "fix.ips", PatchKind::Ips), EngineResult::Ok);
    const Bytes patch = dir_.Read("fix.ips");
    Bytes expected;
    const Bytes modified = dir_.Read("Hack.z64");
    ASSERT_TRUE(MakeIpsPatch(original.data(), original.size(), modified.data(), modified.size(), expected));
    EXPECT_EQ(patch, expected);
}

TEST_F(PatchFiles, CreateTellsItsProgressAndStopsWhenAskedWritingNothing) {
    const Bytes original = Image(ImageFormat::BigEndian);
    dir_.Write("Game.z64", original);
    dir_.Write("Hack.z64", Changed(original, original.size() + 300000));
    const struct {
        PatchKind kind;
        BpsMethod method;
        std::size_t atLeastCalls; // 0 and 100, and for BPS the steps between
    } makers[] = {{PatchKind::Ips, BpsMethod::Delta, 2},
                  {PatchKind::Bps, BpsMethod::Delta, 10},
                  {PatchKind::Bps, BpsMethod::Linear, 10}};
    for (const auto& m : makers) {
        SCOPED_TRACE(m.kind == PatchKind::Ips ? "ips" : m.method == BpsMethod::Delta ? "delta" : "linear");
        ASSERT_EQ(Create("Game.z64", "Hack.z64", "quiet.pat", m.kind, m.method), EngineResult::Ok);
        std::vector<int> seen;
        const ProgressFn record = [&seen](int percent) {
            seen.push_back(percent);
            return kProgressGoOn;
        };
        ASSERT_EQ(Create("Game.z64", "Hack.z64", "told.pat", m.kind, m.method, record), EngineResult::Ok);
        EXPECT_EQ(dir_.Read("told.pat"), dir_.Read("quiet.pat"));
        ASSERT_GE(seen.size(), m.atLeastCalls);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_EQ(seen.front(), 0);
        EXPECT_EQ(seen.back(), 100);

        // Stopped at the first call, or when the patch is made but not yet written.
        for (const int stopAt : {0, 100}) {
            const ProgressFn stop = [stopAt](int percent) { return percent >= stopAt ? kProgressCancelled : kProgressGoOn; };
            EXPECT_EQ(Create("Game.z64", "Hack.z64", "new.pat", m.kind, m.method, stop), EngineResult::ErrCancelled);
            EXPECT_FALSE(dir_.Exists("new.pat"));
            EXPECT_EQ(Create("Game.z64", "Hack.z64", "quiet.pat", m.kind, m.method, stop), EngineResult::ErrCancelled);
            EXPECT_EQ(dir_.Read("quiet.pat"), dir_.Read("told.pat")); // an old patch is kept
        }
        EXPECT_TRUE(messages_.empty()) << LastMessage();
    }
}

} // namespace
} // namespace q64
