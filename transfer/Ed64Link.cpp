#include "transfer/Ed64Link.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace q64 {

namespace {
constexpr int kQuietMs = 20;
constexpr std::size_t kDropPiece = 65536;

void PutWord(std::uint32_t value, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}
} // namespace

void EncodeEd64Command(std::uint8_t letter, std::uint32_t address, std::uint32_t units, std::uint32_t argument,
                       std::uint8_t* out) {
    out[0] = 'c';
    out[1] = 'm';
    out[2] = 'd';
    out[3] = letter;
    PutWord(address, out + 4);
    PutWord(units, out + 8);
    PutWord(argument, out + 12);
}

WireResult Ed64Link::Command(std::uint8_t letter, std::uint32_t address, std::uint32_t units, std::uint32_t argument) {
    std::uint8_t command[ed64::kCommandSize];
    EncodeEd64Command(letter, address, units, argument, command);
    return Send(command, sizeof command);
}

WireResult Ed64Link::Send(const std::uint8_t* bytes, std::size_t count) {
    int idleMs = 0;
    while (count != 0) {
        std::size_t written = 0;
        if (stream_.Write(bytes, count, waits_.sliceMs, written) == StreamResult::Failed) return WireResult::Failed;
        if (written == 0) {
            if (!KeepGoing()) return WireResult::Cancelled;
            idleMs += waits_.sliceMs;
            if (idleMs >= waits_.answerMs) return WireResult::Stalled;
            continue;
        }
        idleMs = 0;
        sent_ += written;
        bytes += written;
        count -= written;
    }
    return WireResult::Ok;
}

WireResult Ed64Link::Receive(std::uint8_t* bytes, std::size_t count, bool started) {
    int idleMs = 0;
    while (count != 0) {
        std::size_t got = 0;
        if (stream_.Read(bytes, count, waits_.sliceMs, got) == StreamResult::Failed) return WireResult::Failed;
        if (got == 0) {
            if (!KeepGoing()) return WireResult::Cancelled;
            idleMs += waits_.sliceMs;
            if (idleMs >= waits_.answerMs) return started ? WireResult::Cut : WireResult::NoAnswer;
            continue;
        }
        idleMs = 0;
        started = true;
        received_ += got;
        bytes += got;
        count -= got;
    }
    return WireResult::Ok;
}

void Ed64Link::DropStale() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waits_.answerMs);
    std::uint8_t scratch[kDropPiece];
    std::size_t got = 0;
    while (std::chrono::steady_clock::now() < until &&
           stream_.Read(scratch, sizeof scratch, kQuietMs, got) == StreamResult::Ok && got != 0) {
    }
}

WireResult Ed64Link::Pause(int ms) {
    for (int waited = 0; waited < ms; waited += waits_.sliceMs) {
        if (!KeepGoing()) return WireResult::Cancelled;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(waits_.sliceMs, ms - waited)));
    }
    return KeepGoing() ? WireResult::Ok : WireResult::Cancelled;
}

} // namespace q64
