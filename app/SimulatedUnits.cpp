#include "app/SimulatedUnits.h"

#include "engine/SampleFiles.h"
#include "transfer/SimCd64.h"
#include "transfer/SimDoctorV64.h"
#include "transfer/SimSp64.h"
#include "transfer/SimSurgeon64.h"
#include "transfer/TransferState.h"

namespace q64 {

namespace {
constexpr std::size_t kHeldImageBytes = 8 * 131072; // 8 Mbit, as q64 receive --port sim holds
} // namespace

SimulatedUnits::SimulatedUnits(const Settings& s)
    : unit_(s.Unit), outPort_(s.OutPort), cd64Port_(s.CD64Port), surgeonAddress_(s.SurgeonAddress) {
    samples::ImageRecipe recipe;
    recipe.title = "SIMULATED UNIT";
    recipe.sizeBytes = kHeldImageBytes;
    recipe.format = ImageFormat::ByteSwapped;
    const auto parallel = static_cast<PortAddress>(s.OutPort);
    if (s.Unit == static_cast<int>(Unit::DoctorV64))
        bus_.Attach(std::make_unique<SimDoctorV64>(parallel, 0)).SetImage(samples::MakeImage(recipe));
    if (s.Unit == static_cast<int>(Unit::Sp64)) bus_.Attach(std::make_unique<SimSp64>(parallel));
    if (s.Unit == static_cast<int>(Unit::Cd64))
        bus_.Attach(std::make_unique<SimCd64>(static_cast<PortAddress>(s.CD64Port))).SetImage(samples::MakeImage(recipe));
    bus_.Attach(std::make_unique<SimSurgeon64>(static_cast<PortAddress>(s.SurgeonAddress)));
    // The cart holds its image in big-endian order.
    recipe.title = "SIMULATED CART";
    recipe.format = ImageFormat::BigEndian;
    sc64_.SetMemory(0, samples::MakeImage(recipe));
    ed64_.SetRom(0, samples::MakeImage(recipe));
}

void SimulatedUnits::ConnectSc64(TransferState& state) {
    state.sc64Opener = [this](const std::string&, std::string&) -> std::unique_ptr<ByteStream> {
        return std::make_unique<SimSc64Stream>(sc64_);
    };
}

void SimulatedUnits::ConnectEd64(TransferState& state) {
    state.ed64Opener = [this](const std::string&, std::string&) -> std::unique_ptr<ByteStream> {
        return std::make_unique<SimEd64Stream>(ed64_);
    };
}

bool SimulatedUnits::Fits(const Settings& s) const {
    return s.Unit == unit_ && s.OutPort == outPort_ && s.CD64Port == cd64Port_ && s.SurgeonAddress == surgeonAddress_;
}

} // namespace q64
