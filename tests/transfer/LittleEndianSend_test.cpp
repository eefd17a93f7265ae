// Little-endian images on every unit: each unit gets the canonical bytes
// treated by its rule for big-endian images.

#include <gtest/gtest.h>

#include "TransferRig.h"
#include "transfer/SimCd64.h"
#include "transfer/SimDoctorV64.h"
#include "transfer/SimSp64.h"

namespace q64::test {
namespace {

using samples::Bytes;

Bytes Canonical(std::size_t size) { return samples::MakeImage(SmallImage(size, ImageFormat::BigEndian)); }
Bytes LittleEndian(std::size_t size) { return samples::MakeImage(SmallImage(size, ImageFormat::LittleEndian)); }

TEST(LittleEndianSend, DoctorV64GetsBigEndianOrPairsAsTheBiosSettingSays) {
    for (int bios : {1, 2}) {
        TransferRig rig;
        auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0));
        rig.Configure(0, bios);
        rig.Load("game.n64", LittleEndian(70000));
        ASSERT_EQ(rig.image.ByteOrder(), ImageFormat::LittleEndian);
        EXPECT_EQ(rig.Send(), EngineResult::Ok);
        const Bytes canonical = Canonical(70000);
        EXPECT_TRUE(unit.Received() == (bios == 2 ? canonical : samples::SwapPairs(canonical))) << bios;
        EXPECT_EQ(unit.AnnouncedLength(), 70000u);
    }
}

TEST(LittleEndianSend, Sp64GetsTheCanonicalBytes) {
    TransferRig rig;
    auto& unit = rig.bus.Attach(std::make_unique<SimSp64>(kLpt));
    rig.Configure(1);
    rig.Load("game.n64", LittleEndian(600));
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    EXPECT_TRUE(unit.Received() == Canonical(600));
}

TEST(LittleEndianSend, Cd64GetsTheCanonicalBytes) {
    TransferRig rig;
    auto& card = rig.bus.Attach(std::make_unique<SimCd64>(kCard));
    card.SetBusyReads(2);
    rig.Configure(2, 2);
    rig.Load("game.n64", LittleEndian(30000));
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    EXPECT_TRUE(card.UploadConfirmed());
    EXPECT_TRUE(card.Received() == Canonical(30000));
}

} // namespace
} // namespace q64::test
