// The SummerCart64 answer reader. The input is a 4-byte set-up, then what the
// unit sends, handed to the link through a fake byte stream:
//   byte 0: the call (a command, a memory read, a memory write) and, bit 7,
//           whether the stream fails (instead of falling silent) at its end;
//   byte 1: how many bytes each read hands over at most (0: all there are);
//   byte 2: every how many reads one comes back empty (0: none);
//   byte 3: the command id, and the length of a memory read or write.
// Whatever arrives, the call ends within a bounded number of reads (the fake
// never sleeps; the waits are a few milliseconds), takes no more bytes than
// were sent, and an Ok answer holds what was asked for.

#include <algorithm>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "transfer/Sc64Link.h"

using namespace q64;
using q64::fuzz::Require;

namespace {

class FakeStream final : public ByteStream {
public:
    FakeStream(const std::uint8_t* data, std::size_t size, std::size_t piece, unsigned emptyEvery, bool failAtEnd)
        : data_(data), size_(size), piece_(piece), emptyEvery_(emptyEvery), failAtEnd_(failAtEnd) {}

    StreamResult Write(const std::uint8_t*, std::size_t count, int, std::size_t& written) override {
        written = count;
        return StreamResult::Ok;
    }
    StreamResult Read(std::uint8_t* bytes, std::size_t max, int, std::size_t& got) override {
        got = 0;
        ++reads;
        if (emptyEvery_ != 0 && reads % emptyEvery_ == 0) return StreamResult::TimedOut;
        if (at_ == size_) return failAtEnd_ ? StreamResult::Failed : StreamResult::TimedOut;
        got = std::min({max, size_ - at_, piece_ == 0 ? size_ : piece_});
        std::copy(data_ + at_, data_ + at_ + got, bytes);
        at_ += got;
        return StreamResult::Ok;
    }
    bool ResetCommunication() override { return true; }
    std::string Name() const override { return "fake"; }

    std::size_t reads = 0;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::size_t piece_;
    unsigned emptyEvery_;
    bool failAtEnd_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::uint8_t call = data[0] & 0x7F;
    const std::uint8_t arg = data[3];
    FakeStream stream(data + 4, size - 4, data[1], data[2] % 8, (data[0] & 0x80) != 0);
    const LinkWaits waits{4, 1};
    Sc64Link link(stream, waits, [] { return true; });

    LinkResult result = LinkResult::Ok;
    switch (call % 3) {
    case 0: {
        std::vector<std::uint8_t> answer;
        result = link.Command(arg, 0, 0, answer);
        if (result == LinkResult::Ok) Require(answer.size() <= sc64::kSmallAnswerLimit, "a small answer stays small");
        else Require(answer.size() <= sc64::kSmallAnswerLimit, "a failed answer stays small");
        break;
    }
    case 1: {
        const std::uint32_t length = std::uint32_t{arg} * 37;
        std::uint64_t taken = 0;
        result = link.ReadMemory(0x10000000, length, [&](const std::uint8_t*, std::size_t count) {
            taken += count;
            return true;
        }, {});
        if (result == LinkResult::Ok) Require(taken == length, "a memory read gives exactly the bytes asked for");
        Require(taken <= length, "a memory read never gives more than asked for");
        break;
    }
    case 2: {
        const std::uint32_t length = std::uint32_t{arg} * 37;
        result = link.WriteMemory(0x10000000, length, [](std::uint8_t* out, std::size_t max) {
            std::fill(out, out + max, 0x5A);
            return static_cast<long>(max);
        }, 512, {});
        if (result == LinkResult::Ok) Require(link.BytesSent() == sc64::kCommandHeader + length, "the whole write went out");
        break;
    }
    }
    Require(link.BytesReceived() <= size - 4, "no more bytes taken than were sent");
    // Every read either takes a byte or counts towards a wait of 4 slices, and
    // every empty read that does not end a wait is followed by one that takes a byte.
    Require(stream.reads <= 8 * (size - 4) + 16, "the call ends within a bounded number of reads");
    return 0;
}
