#pragma once
// The simulated units `q64 --port sim` drives, for the window: with the
// setting "SimulatedUnit" on, Send and Receive go to a simulated unit of the
// kind "Unit" names, at the addresses the settings give, instead of the
// hardware. Each unit holds a generated image to hand back on a receive; the
// Surgeon64 adapter answers at "SurgeonAddress".

#include <memory>

#include "settings/Settings.h"
#include "transfer/SimEd64.h"
#include "transfer/SimSc64.h"
#include "transfer/SimulatedPortBackend.h"

namespace q64 {

struct TransferState;

class SimulatedUnits {
public:
    // The units for `settings` as they are now.
    explicit SimulatedUnits(const Settings& settings);

    PortBackend& Backend() { return bus_; }
    // Makes `state` reach the simulated SummerCart64.
    void ConnectSc64(TransferState& state);
    // Makes `state` reach the simulated EverDrive-64.
    void ConnectEd64(TransferState& state);
    // True while the units still fit `settings` (else build them anew).
    bool Fits(const Settings& settings) const;

private:
    int unit_, outPort_, cd64Port_, surgeonAddress_;
    SimulatedPortBackend bus_;
    SimSc64 sc64_;
    SimEd64 ed64_;
};


} // namespace q64
