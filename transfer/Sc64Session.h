#pragma once
// One conversation with the SummerCart64: communication reset, identify,
// firmware version checked and shown in the status line; then the operation's commands, each
// failure turned into one message, "Ready", and a reset so the next session
// starts in step. Cancel is asked through the progress callback, also while
// waiting for an answer.

#include <chrono>
#include <string>
#include <vector>

#include "transfer/Sc64.h"

namespace q64 {

// What an operation needs of the cart's firmware.
enum class FirmwareNeed {
    Current, // major 2, minor at least 20: older ones are refused with a word to update
    Any2,    // any 2.x (reading the state): older ones get that word in the status line
};

class Sc64Session {
public:
    explicit Sc64Session(const Sc64Context& ctx);

    // Reset, IDENTIFIER_GET ("SCv2"), VERSION_GET. Ok, or `failure` /
    // ErrCancelled after the message.
    EngineResult Open(EngineResult failure, FirmwareNeed need = FirmwareNeed::Current, Sc64Info* info = nullptr);

    Sc64Link& Link() { return link_; }
    // CONFIG_SET / CONFIG_GET; LinkResult as the link gives it.
    LinkResult SetConfig(std::uint32_t id, std::uint32_t value);
    LinkResult GetConfig(std::uint32_t id, std::uint32_t& value);
    // A command without data whose answer is ignored (STATE_RESET, CIC_PARAMS_SET, ...).
    LinkResult Plain(std::uint8_t id, std::uint32_t arg0, std::uint32_t arg1);

    // Reports `result` of the command `what` (ErrCancelled for a cancel,
    // without a message), shows "Ready", resets the link; returns the code.
    EngineResult Fail(LinkResult result, const char* what, EngineResult failure);
    // A message of the operation's own, then "Ready"; returns `failure`.
    EngineResult FailWith(const std::string& message, EngineResult failure);

    // Progress over a transfer of `total` bytes; false when the user cancelled.
    bool Moved(std::uint64_t done, std::uint64_t total);
    void Status(const char* text) const;
    const Sc64Context& Context() const { return ctx_; }

private:
    bool KeepGoing();

    const Sc64Context& ctx_;
    Sc64Link link_;
    int lastPercent_ = 0;
    bool cancelled_ = false;
    std::chrono::steady_clock::time_point lastAsked_{};
};

} // namespace q64
