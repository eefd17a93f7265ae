#pragma once
// Memory pak files on disk: a plain pak of 32768 bytes (any extension: .mpk,
// .sav, ...) or a DexDrive image (its 4160-byte header, then the pak). Edits
// keep the container: a DexDrive image stays one, its other notes' comments
// kept and the comment of a note that goes cleared.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/MemoryPak.h"

namespace q64 {

struct PakFile {
    PakData pak;
    std::vector<std::uint8_t> dexHeader; // empty for a plain pak
    bool IsDexDrive() const { return !dexHeader.empty(); }
    // The file's whole content.
    std::vector<std::uint8_t> Bytes() const;
    // Drops note `number`'s DexDrive comment (nothing for a plain pak).
    void ClearComment(int number);
};

// Reads a pak file. ErrOpen (unreadable, with `message`), ErrFormat (neither
// 32768 bytes nor a DexDrive image: "PATH is not a memory pak"); Ok.
EngineResult ReadPakFile(const std::string& path, PakFile& out, std::string& message);

// Writes `file` over the existing `path` through the backup protocol;
// `backup`, when given, receives the backup kept (empty for none).
EngineResult RewritePakFile(const std::string& path, const PakFile& file, BackupMode mode, std::string& message,
                            std::string* backup = nullptr);

} // namespace q64
