#include "transfer/TracingStream.h"

#include <cstdio>

namespace q64 {

std::string StreamTraceLine(const char* kind, const std::uint8_t* bytes, std::size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string line(kind);
    line.reserve(line.size() + 3 * count);
    for (std::size_t i = 0; i < count; ++i) {
        line += ' ';
        line += kDigits[bytes[i] >> 4];
        line += kDigits[bytes[i] & 15];
    }
    return line;
}

TracingStream::TracingStream(ByteStream& inner, const std::string& tracePath) : inner_(inner) {
    ok_ = change_.BeginNew(tracePath, ExistingFile::Replace) == EngineResult::Ok;
}

TracingStream::TracingStream(std::unique_ptr<ByteStream> inner, const std::string& tracePath)
    : owned_(std::move(inner)), inner_(*owned_) {
    ok_ = change_.BeginNew(tracePath, ExistingFile::Replace) == EngineResult::Ok;
}

TracingStream::~TracingStream() {
    if (ok_) change_.Commit();
}

void TracingStream::Line(const char* kind, const std::uint8_t* bytes, std::size_t count) {
    if (!ok_ || count == 0) return;
    const std::string line = StreamTraceLine(kind, bytes, count);
    std::fwrite(line.data(), 1, line.size(), change_.Out());
    std::fputc('\n', change_.Out());
}

StreamResult TracingStream::Write(const std::uint8_t* bytes, std::size_t count, int waitMs, std::size_t& written) {
    const StreamResult r = inner_.Write(bytes, count, waitMs, written);
    Line("TX", bytes, written);
    return r;
}

StreamResult TracingStream::Read(std::uint8_t* bytes, std::size_t max, int waitMs, std::size_t& got) {
    const StreamResult r = inner_.Read(bytes, max, waitMs, got);
    Line("RX", bytes, got);
    return r;
}

bool TracingStream::ResetCommunication() {
    if (ok_) std::fputs("RESET\n", change_.Out());
    return inner_.ResetCommunication();
}

} // namespace q64
