#include "TransferRig.h"

#include <cstdio>

#include "transfer/TracingPortBackend.h"

namespace q64::test {

TransferRig::TransferRig()
    : tracer(std::make_unique<TracingPortBackend>(bus, dir.File("trace.txt"))), port(*tracer) {
    calls.status = [this](const std::string& text) { statuses.push_back(text); };
    calls.progress = [this](int percent) {
        progress.push_back(percent);
        ++progressCalls_;
        return cancelAfter_ >= 0 && progressCalls_ >= cancelAfter_ ? kProgressCancelled : kProgressGoOn;
    };
    image.SetMessageSink([this](const std::string& text) { messages.push_back(text); });
}

void TransferRig::Configure(int unit, int bios) {
    ConfigureTransfer(state, image, unit, bios, kLpt, 2, kCard, 'X', 0);
}

std::string TransferRig::Load(const std::string& name, const samples::Bytes& bytes) {
    const std::string path = dir.Write(name, bytes);
    image.Identify(path);
    return path;
}

std::vector<std::string> TransferRig::Trace() {
    tracer.reset();
    std::vector<std::string> lines;
    if (std::FILE* f = std::fopen(dir.File("trace.txt").c_str(), "r")) {
        char line[64];
        while (std::fgets(line, sizeof line, f)) {
            std::string text(line);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            lines.push_back(text);
        }
        std::fclose(f);
    }
    tracer = std::make_unique<TracingPortBackend>(bus, "/dev/null");
    port.SetBackend(*tracer);
    return lines;
}

std::vector<std::string> Lines(const std::vector<Access>& accesses) {
    std::vector<std::string> out;
    for (const Access& a : accesses) out.push_back(TraceLine(a.kind, a.address, a.value));
    return out;
}

samples::ImageSpec SmallImage(std::size_t bytes, ImageFormat format, std::uint32_t seed) {
    samples::ImageSpec spec;
    spec.sizeBytes = bytes;
    spec.format = format;
    spec.seed = seed;
    return spec;
}

} // namespace q64::test
