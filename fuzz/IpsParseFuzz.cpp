// IPS reading: any bytes parse without reading outside the patch, a clean
// patch ends with "EOF" and at most a 3-byte size (or without "EOF" after a
// whole record), and a clean plan applied in memory gives the size
// PatchedSize predicts.

#include <algorithm>

#include "engine/IpsPatch.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so any read past the end is caught.
    const std::vector<std::uint8_t> patch(data, data + size);
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    if (plan.defect != IpsDefect::None) {
        Require(plan.changes.empty(), "a damaged patch has no changes");
        return 0;
    }
    for (const IpsChange& c : plan.changes) {
        if (c.kind == IpsRecordKind::Data) {
            Require(c.length > 0 && c.dataAt + c.length <= size, "data inside the patch");
        }
        Require(c.offset <= 0xFFFFFFu && c.length <= 0xFFFFu, "offsets and lengths within their widths");
    }
    // After "EOF" comes nothing or a 3-byte size, never anything else.
    const std::size_t markerFromEnd = plan.newSize ? 6 : 3;
    if (plan.endMarker)
        Require(size >= ips::kSignatureSize + markerFromEnd &&
                    std::equal(patch.end() - static_cast<std::ptrdiff_t>(markerFromEnd),
                               patch.end() - static_cast<std::ptrdiff_t>(markerFromEnd) + 3, "EOF"),
                "the patch ends with EOF or EOF and a size");
    constexpr std::size_t kTargetSize = 256;
    std::vector<std::uint8_t> target(kTargetSize, 0x5A);
    ApplyIpsToBuffer(plan, patch.data(), target);
    Require(target.size() == PatchedSize(plan, kTargetSize), "applied size is the predicted size");
    return 0;
}
