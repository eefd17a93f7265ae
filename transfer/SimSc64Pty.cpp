#include "transfer/SerialStream.h"
#include "transfer/SimSc64.h"
#include "transfer/SimStreamPty.h"

namespace q64 {

namespace {

// The cart as the pair's far end. A flush of the slave side drops only what
// the pair holds; the cart's own interface is reset through DTR.
class Sc64Unit final : public SimStreamUnit {
public:
    explicit Sc64Unit(SimSc64& unit) : unit_(unit) {}
    std::size_t Feed(const std::uint8_t* bytes, std::size_t count) override { return unit_.Feed(bytes, count); }
    std::size_t Take(std::uint8_t* out, std::size_t max) override { return unit_.Take(out, max); }
    void ResetLink() override {}

private:
    SimSc64& unit_;
};

// DTR and DSR wired straight to the cart.
class UnitLines final : public ModemLines {
public:
    explicit UnitLines(SimSc64& unit) : unit_(unit) {}
    bool SetDtr(bool high) override {
        unit_.SetDtr(high);
        return true;
    }
    std::optional<bool> Dsr() override { return unit_.Dsr(); }

private:
    SimSc64& unit_;
};

} // namespace

struct SimSc64Pty::Parts {
    explicit Parts(SimSc64& cart) : unit(cart), lines(cart), pty(unit) {}
    Sc64Unit unit;
    UnitLines lines;
    SimStreamPty pty;
};

SimSc64Pty::SimSc64Pty(SimSc64& unit) : parts_(std::make_unique<Parts>(unit)) {}
SimSc64Pty::~SimSc64Pty() = default;
bool SimSc64Pty::Ok() const { return parts_->pty.Ok(); }
const std::string& SimSc64Pty::Path() const { return parts_->pty.Path(); }
ModemLines& SimSc64Pty::Lines() { return parts_->lines; }

} // namespace q64
