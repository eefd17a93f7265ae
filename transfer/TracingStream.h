#pragma once
// Wraps any byte stream and writes what passes to a file, one line per
// write or read: "TX " or "RX " and the bytes in lowercase hexadecimal, two
// digits each, separated by spaces. The file is written through the
// program's file-change mechanism and appears complete when the wrapper ends.

#include <memory>
#include <string>

#include "engine/FileChange.h"
#include "transfer/ByteStream.h"

namespace q64 {

class TracingStream final : public ByteStream {
public:
    // `inner` must outlive the wrapper. Check Ok() after construction.
    TracingStream(ByteStream& inner, const std::string& tracePath);
    // The same, keeping `inner` for as long as the wrapper lives.
    TracingStream(std::unique_ptr<ByteStream> inner, const std::string& tracePath);
    ~TracingStream() override;
    TracingStream(const TracingStream&) = delete;
    TracingStream& operator=(const TracingStream&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Message() const { return change_.Message(); }

    StreamResult Write(const std::uint8_t* bytes, std::size_t count, int waitMs, std::size_t& written) override;
    StreamResult Read(std::uint8_t* bytes, std::size_t max, int waitMs, std::size_t& got) override;
    bool ResetCommunication() override;
    std::string Name() const override { return inner_.Name(); }
    std::string Error() const override { return inner_.Error(); }

private:
    void Line(const char* kind, const std::uint8_t* bytes, std::size_t count);

    std::unique_ptr<ByteStream> owned_;
    ByteStream& inner_;
    FileChange change_;
    bool ok_ = false;
};

// One trace line without its newline, e.g. "TX 43 4d 44 76".
std::string StreamTraceLine(const char* kind, const std::uint8_t* bytes, std::size_t count);

} // namespace q64
