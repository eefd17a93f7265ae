#pragma once
// SP64/Wildcard class units on the parallel port P: send only, nothing is
// read back. Each byte is put on the data lines and clocked with a strobe
// pulse; a reset pulse marks a command byte. The image goes out in numbered
// 256-byte blocks in big-endian order behind the preamble 00 00 'R' and ends
// with the closing byte 0xCC. Pulse lengths are counted in port writes.

#include <cstddef>
#include <cstdint>

#include "transfer/TransferContext.h"

namespace q64 {

// 0x04 to P+2 100 times, 0x06 200 times, 0x04 100 times.
void SpResetPulse(const TransferContext& ctx);
// 0x05 to P+2 twice, then 0x04 twice.
void SpStrobe(const TransferContext& ctx);
// A command byte: reset pulse, the byte on P, strobe.
void SpCommand(const TransferContext& ctx, std::uint8_t byte);
// The 3-byte block number (most significant first), then the data bytes.
void SpSendBlock(const TransferContext& ctx, std::uint32_t number, const std::uint8_t* bytes, std::size_t count);

EngineResult SpSend(const TransferContext& ctx);
EngineResult SpSendCompressed(const TransferContext& ctx);

} // namespace q64
