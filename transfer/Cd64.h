#pragma once
// The CD64 on its card at C (data C+0, status C+2 bit 0 busy). Every byte is an
// exchange: write it, wait while busy, read the reply. A transfer syncs ('W'
// answered 'R', 'B' answered 'W'), gives a command letter, a 32-bit address
// and a 32-bit length, streams the data and ends with the 12-bit checksum.
// Bytes travel exactly as they stand in the file.
//
// The busy wait of an exchange is bounded (1000000 status reads); a unit that
// stops answering ends the transfer with a message instead of hanging it.

#include <cstdint>
#include <optional>
#include <string>

#include "transfer/TransferContext.h"

namespace q64 {

// The reply to `byte`, or nothing when the card stayed busy for the whole budget.
std::optional<std::uint8_t> Cd64Exchange(const TransferContext& ctx, std::uint8_t byte);
// The reply after at most 1000 status reads, busy or not.
std::uint8_t Cd64ExchangeBounded(const TransferContext& ctx, std::uint8_t byte);
// Bits 31..24 first; false when an exchange timed out.
bool Cd64Send32(const TransferContext& ctx, std::uint32_t value);
// Exchanges checksum bits 15..8 and 7..0; the two replies as a 12-bit value.
std::optional<std::uint16_t> Cd64Exchange16(const TransferContext& ctx, std::uint16_t checksum);

// Bytes to receive for a size in Mbit: 64, 128, 192 or 256; 0 for anything else.
std::uint32_t Cd64ReceiveBytes(int sizeMbit);

EngineResult Cd64Send(const TransferContext& ctx);
EngineResult Cd64SendCompressed(const TransferContext& ctx);
// Receives `sizeMbit` into `path` from the cartridge or DRAM (cd64ReceiveSource).
// The target is replaced only when the unit's checksum agrees.
EngineResult Cd64Receive(const TransferContext& ctx, const std::string& path, int sizeMbit);
// The same for a size in bytes.
EngineResult Cd64ReceiveSize(const TransferContext& ctx, const std::string& path, std::uint32_t size);

} // namespace q64
