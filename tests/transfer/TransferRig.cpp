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

void ScriptedUnit::Queue(PortAddress address, const std::vector<std::uint8_t>& values) {
    auto& queue = queued_[address];
    queue.insert(queue.end(), values.begin(), values.end());
}

std::uint8_t ScriptedUnit::Read(PortAddress address) {
    auto& queue = queued_[address];
    if (!queue.empty()) {
        const std::uint8_t value = queue.front();
        queue.pop_front();
        return value;
    }
    const auto rest = rest_.find(address);
    return rest == rest_.end() ? 0xFF : rest->second;
}

std::vector<std::string> Lines(const std::vector<Access>& accesses) {
    std::vector<std::string> out;
    for (const Access& a : accesses) out.push_back(TraceLine(a.kind, a.address, a.value));
    return out;
}

samples::ImageRecipe SmallImage(std::size_t bytes, ImageFormat format, std::uint32_t seed) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = bytes;
    recipe.format = format;
    recipe.seed = seed;
    return recipe;
}

} // namespace q64::test
