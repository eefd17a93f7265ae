#pragma once
// A simulated Doctor V64 on the parallel port at `base`. It answers the sync in
// the handshake mode it is wired for (0: control lines, 1: status lines),
// acknowledges every strobe edge, takes a "GD6R" upload (length, name, data)
// and serves a "GD6W" download (one spare byte, the 15-byte size block, then
// the image) as 4-bit halves on the status lines.

#include <cstdint>
#include <string>
#include <vector>

#include "transfer/SimulatedPortBackend.h"

namespace q64 {

class SimDoctorV64 final : public SimulatedUnit {
public:
    SimDoctorV64(PortAddress base, int wiring, SimFault fault = SimFault::None);

    // What the unit hands out for a download.
    void SetImage(std::vector<std::uint8_t> image) { image_ = std::move(image); }

    // The last upload: its bytes as they came over the wire, the announced
    // length, the 11 name bytes, and whether all announced bytes arrived.
    const std::vector<std::uint8_t>& Received() const { return received_; }
    std::uint32_t AnnouncedLength() const { return length_; }
    const std::string& ReceivedName() const { return name_; }
    bool UploadComplete() const { return uploadComplete_; }
    // The 11 name bytes of the last download request.
    const std::string& RequestedName() const { return requestedName_; }
    int Syncs() const { return syncs_; }

    bool Decodes(PortAddress address) const override { return address >= base_ && address <= base_ + 2; }
    void Write(PortAddress address, std::uint8_t value) override;
    std::uint8_t Read(PortAddress address) override;

private:
    enum class Phase { Idle, Command, CommandArg, Length, Name, Data, RequestName, Turnaround, Sending, Sent };

    void WriteControl(std::uint8_t value);
    void WriteData(std::uint8_t value);
    void TakeByte(std::uint8_t byte);
    void StartDownload();

    PortAddress base_;
    int wiring_;
    SimFault fault_;
    bool frozen_ = false;

    std::uint8_t data_ = 0;
    std::uint8_t control_ = 0x04;
    bool syncLine_ = false;  // asserted answer to a sync pulse
    int syncStage_ = 0;
    int syncs_ = 0;
    std::uint8_t ackLevel_ = 0; // strobe level last acknowledged

    Phase phase_ = Phase::Idle;
    std::vector<std::uint8_t> collected_;
    std::uint32_t length_ = 0;
    std::string name_;
    std::string requestedName_;
    std::vector<std::uint8_t> received_;
    bool uploadComplete_ = false;

    std::vector<std::uint8_t> image_;
    std::vector<std::uint8_t> outgoing_;
    std::size_t outIndex_ = 0;
    bool presentingLow_ = false;
    std::uint8_t status_ = 0;
};

} // namespace q64
