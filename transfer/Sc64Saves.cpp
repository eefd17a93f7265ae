// Reading the cart's ROM area and its saves into files, and saves back.

#include <cstdio>
#include <memory>

#include "engine/FileChange.h"
#include "transfer/Sc64.h"
#include "transfer/Sc64Session.h"

namespace q64 {

namespace {

// Reads `length` bytes at `address` into a new file at `path`; the file
// replaces an existing one only when every byte arrived and was written.
EngineResult ReadIntoFile(const Sc64Context& ctx, std::uint32_t address, std::uint32_t length,
                          const std::string& path, const char* status) {
    FileChange change;
    if (change.BeginNew(path, ExistingFile::Replace) != EngineResult::Ok) {
        ctx.image.Report(change.Message());
        return EngineResult::ErrReceive;
    }
    Sc64Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrReceive); opened != EngineResult::Ok)
        return opened;
    session.Status(status);
    bool writeFailed = false;
    const auto sink = [&](const std::uint8_t* bytes, std::size_t count) {
        writeFailed = std::fwrite(bytes, 1, count, change.Out()) != count;
        return !writeFailed;
    };
    for (std::uint32_t at = 0; at < length; at += sc64::kChunk) {
        const std::uint32_t piece = std::min(sc64::kChunk, length - at);
        const LinkResult r = session.Link().ReadMemory(address + at, piece, sink, [&](std::uint64_t done) {
            return session.Moved(at + done, length);
        });
        if (writeFailed) {
            ctx.stream.ResetCommunication();
            return session.FailWith("Error Writing to File", EngineResult::ErrReceive);
        }
        if (r != LinkResult::Ok) return session.Fail(r, "MEMORY_READ", EngineResult::ErrReceive);
    }
    if (change.Commit() != EngineResult::Ok) return session.FailWith(change.Message(), EngineResult::ErrReceive);
    session.Status("Ready");
    return EngineResult::Ok;
}

// The save type given, or the one set on the cart; nothing after a message.
std::optional<int> ChosenSaveType(const Sc64Context& ctx, std::optional<int> saveType, EngineResult failure,
                                  EngineResult& result) {
    if (!saveType) {
        Sc64Session session(ctx);
        if (result = session.Open(failure); result != EngineResult::Ok) return std::nullopt;
        std::uint32_t value = 0;
        if (const LinkResult r = session.GetConfig(sc64::kConfigSaveType, value); r != LinkResult::Ok) {
            result = session.Fail(r, "CONFIG_GET", failure);
            return std::nullopt;
        }
        saveType = static_cast<int>(value);
    }
    if (SaveAreaOf(*saveType).size == 0) {
        ctx.image.Report(*saveType == 0 ? std::string("No save type is set on the SummerCart64")
                                        : "Unknown save type " + std::to_string(*saveType));
        if (ctx.calls.status) ctx.calls.status("Ready");
        result = EngineResult::ErrFailed;
        return std::nullopt;
    }
    return saveType;
}

struct FileCloser {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};

} // namespace

EngineResult Sc64Receive(const Sc64Context& ctx, const std::string& path, std::uint32_t sizeBytes) {
    if (sizeBytes == 0 || sizeBytes > sc64::kSdramSize) {
        ctx.image.Report("Choose a size from 1 to 512 Mbit: the SummerCart64 holds at most 64 MiB");
        return EngineResult::ErrReceive;
    }
    return ReadIntoFile(ctx, sc64::kSdramBase, sizeBytes, path, "Receiving File...");
}

EngineResult Sc64BackupSave(const Sc64Context& ctx, const std::string& path, std::optional<int> saveType) {
    EngineResult result = EngineResult::Ok;
    const std::optional<int> type = ChosenSaveType(ctx, saveType, EngineResult::ErrReceive, result);
    if (!type) return result;
    const Sc64SaveArea area = SaveAreaOf(*type);
    return ReadIntoFile(ctx, area.address, area.size, path, "Reading the save...");
}

EngineResult Sc64RestoreSave(const Sc64Context& ctx, const std::string& path, std::optional<int> saveType) {
    std::string message;
    std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path, message));
    if (!file) {
        ctx.image.Report(message);
        return EngineResult::ErrOpen;
    }
    EngineResult result = EngineResult::Ok;
    const std::optional<int> type = ChosenSaveType(ctx, saveType, EngineResult::ErrTransfer, result);
    if (!type) return result;
    const Sc64SaveArea area = SaveAreaOf(*type);
    std::vector<std::uint8_t> bytes(area.size + 1);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (got != area.size) {
        char text[200];
        std::snprintf(text, sizeof text, "%s holds %s%zu bytes; a %s save holds %u", path.c_str(),
                      got > area.size ? "more than " : "", got > area.size ? std::size_t{area.size} : got,
                      SaveTypeText(*type), area.size);
        ctx.image.Report(text);
        return EngineResult::ErrFailed;
    }
    Sc64Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrTransfer); opened != EngineResult::Ok)
        return opened;
    session.Status("Writing the save...");
    std::size_t given = 0;
    const auto source = [&](std::uint8_t* out, std::size_t max) {
        std::copy_n(bytes.data() + given, max, out);
        given += max;
        return static_cast<long>(max);
    };
    const LinkResult r = session.Link().WriteMemory(area.address, area.size, source, sc64::kPiece,
                                                    [&](std::uint64_t done) { return session.Moved(done, area.size); });
    if (r != LinkResult::Ok) return session.Fail(r, "MEMORY_WRITE", EngineResult::ErrTransfer);
    session.Status("Ready");
    return EngineResult::Ok;
}

} // namespace q64
