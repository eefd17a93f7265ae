#pragma once
// A simulated CD64 card at `base` (data C+0, status C+2 bit 0 busy). Every
// write is answered with a reply byte read back from C+0: 'R' to 'W' and 'W'
// to 'B' for the sync, then a command letter, address and length; an upload
// ends with the 12-bit checksum echo and 'O' 'K' when it matched, a download
// streams the held image and ends with its checksum.

#include <cstdint>
#include <vector>

#include "transfer/SimulatedPortBackend.h"

namespace q64 {

class SimCd64 final : public SimulatedUnit {
public:
    SimCd64(PortAddress base, SimFault fault = SimFault::None);

    // What a download hands out (bytes past its end read 0xFF).
    void SetImage(std::vector<std::uint8_t> image) { image_ = std::move(image); }
    // Status reads that report busy after each write (0: ready at once).
    void SetBusyReads(int reads) { busyReads_ = reads; }

    const std::vector<std::uint8_t>& Received() const { return received_; }
    std::uint8_t Command() const { return command_; }
    std::uint32_t Address() const { return address_; }
    std::uint32_t Length() const { return length_; }
    // True when the last upload ended with matching checksums.
    bool UploadConfirmed() const { return confirmed_; }

    bool Decodes(PortAddress address) const override { return address >= base_ && address <= base_ + 2; }
    void Write(PortAddress address, std::uint8_t value) override;
    std::uint8_t Read(PortAddress address) override;

private:
    enum class Phase { Idle, GotW, Command, Address, Length, Upload, UploadSumHigh, UploadSumLow, Ack1, Ack2,
                       Download, DownloadSumHigh, DownloadSumLow };

    std::uint8_t Answer(std::uint8_t byte);
    std::uint16_t EchoedSum() const;

    PortAddress base_;
    SimFault fault_;
    bool frozen_ = false;
    int busyReads_ = 0;
    int busyLeft_ = 0;
    std::uint8_t reply_ = 0xFF;

    Phase phase_ = Phase::Idle;
    int count_ = 0;
    std::uint8_t command_ = 0;
    std::uint32_t address_ = 0;
    std::uint32_t length_ = 0;
    std::uint32_t sum_ = 0;
    std::uint16_t pcSum_ = 0;
    bool confirmed_ = false;
    std::vector<std::uint8_t> received_;
    std::vector<std::uint8_t> image_;
};

} // namespace q64
