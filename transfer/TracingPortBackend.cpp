#include "transfer/TracingPortBackend.h"

namespace q64 {

std::string TraceLine(char kind, PortAddress address, std::uint8_t value) {
    char line[16];
    std::snprintf(line, sizeof line, "%c %04x %02x", kind, address, value);
    return line;
}

TracingPortBackend::TracingPortBackend(PortBackend& inner, const std::string& tracePath)
    : inner_(inner), file_(std::fopen(tracePath.c_str(), "w")) {
    if (file_) std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

TracingPortBackend::~TracingPortBackend() {
    if (file_) std::fclose(file_);
}

void TracingPortBackend::Write(PortAddress address, std::uint8_t value) {
    inner_.Write(address, value);
    if (file_) std::fprintf(file_, "W %04x %02x\n", address, value);
}

std::uint8_t TracingPortBackend::Read(PortAddress address) {
    const std::uint8_t value = inner_.Read(address);
    if (file_) std::fprintf(file_, "R %04x %02x\n", address, value);
    return value;
}

} // namespace q64
