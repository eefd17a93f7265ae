#pragma once
// A file that exists only to be handed to a transfer (a DX256 room to send,
// the pak inside a DexDrive image): written into a private folder of its own
// and removed, folder and all, when this object goes.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Writes `bytes` as `name`; its path, or empty (after telling `sink`) on failure.
    std::string Put(const std::string& name, const std::vector<std::uint8_t>& bytes, const MessageSink& sink);

private:
    std::string folder_;
    std::string file_;
};

// The file to load into a memory pak adapter: `path` itself, or for a
// DexDrive image a plain copy of its pak in `scratch` (empty when that copy
// cannot be written; `sink` was told why).
std::string PlainPakPath(const std::string& path, ScratchFile& scratch, const MessageSink& sink);

} // namespace q64
