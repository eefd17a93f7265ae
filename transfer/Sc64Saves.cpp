// Reading the cart's ROM area and its saves into files, and saves back.

#include <cstdio>
#include <memory>

#include "engine/FileChange.h"
#include "transfer/Sc64.h"
#include "transfer/Sc64Session.h"

namespace q64 {

namespace {

constexpr std::size_t kLargestSave = 131072;

// Reads `length` bytes at `address` into `change` (begun) through the
// opened `session` and commits it: the file replaces an existing one only
// when every byte arrived and was written.
EngineResult ReadIntoFile(Sc64Session& session, FileChange& change, std::uint32_t address, std::uint32_t length,
                          const char* status) {
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
            session.Link().Reset();
            return session.FailWith("Error Writing to File", EngineResult::ErrReceive);
        }
        if (r != LinkResult::Ok) return session.Fail(r, "MEMORY_READ", EngineResult::ErrReceive);
    }
    if (change.Commit() != EngineResult::Ok) return session.FailWith(change.Message(), EngineResult::ErrReceive);
    session.Status("Ready");
    return EngineResult::Ok;
}

// The save type given, or the one set on the cart, read in `session`
// (opened); nothing after a message.
std::optional<int> ChosenSaveType(Sc64Session& session, std::optional<int> saveType, EngineResult failure,
                                  EngineResult& result) {
    if (!saveType) {
        std::uint32_t value = 0;
        if (const LinkResult r = session.GetConfig(sc64::kConfigSaveType, value); r != LinkResult::Ok) {
            result = session.Fail(r, "CONFIG_GET", failure);
            return std::nullopt;
        }
        saveType = static_cast<int>(value);
    }
    if (SaveAreaOf(*saveType).size == 0) {
        result = session.FailWith(*saveType == 0 ? std::string("No save type is set on the SummerCart64")
                                                 : "Unknown save type " + std::to_string(*saveType),
                                  EngineResult::ErrFailed);
        return std::nullopt;
    }
    return saveType;
}

struct FileCloser {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};


// Begins the new file at `path`; false after the message.
bool BeginFile(const Sc64Context& ctx, FileChange& change, const std::string& path) {
    if (change.BeginNew(path, ExistingFile::Replace) == EngineResult::Ok) return true;
    ctx.image.Report(change.Message());
    return false;
}

// The message for a save file of `got` bytes (more than `area.size` when it
// holds more) against a save type's area.
std::string SizeMismatch(const std::string& path, std::size_t got, int type) {
    const std::uint32_t size = SaveAreaOf(type).size;
    char text[300];
    std::snprintf(text, sizeof text, "%s holds %s%zu bytes; a %s save holds %u; nothing was written", path.c_str(),
                  got > size ? "more than " : "", got > size ? std::size_t{size} : got, SaveTypeText(type), size);
    return text;
}

} // namespace

EngineResult Sc64Receive(const Sc64Context& ctx, const std::string& path, std::uint32_t sizeBytes) {
    if (sizeBytes == 0 || sizeBytes > sc64::kSdramSize) {
        ctx.image.Report("Choose a size from 1 to 512 Mbit: the SummerCart64 holds at most 64 MiB");
        return EngineResult::ErrReceive;
    }
    FileChange change;
    if (!BeginFile(ctx, change, path)) return EngineResult::ErrReceive;
    Sc64Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrReceive); opened != EngineResult::Ok)
        return opened;
    return ReadIntoFile(session, change, sc64::kSdramBase, sizeBytes, "Receiving File...");
}

EngineResult Sc64BackupSave(const Sc64Context& ctx, const std::string& path, std::optional<int> saveType) {
    FileChange change;
    if (!BeginFile(ctx, change, path)) return EngineResult::ErrReceive;
    Sc64Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrReceive); opened != EngineResult::Ok)
        return opened;
    EngineResult result = EngineResult::Ok;
    const std::optional<int> type = ChosenSaveType(session, saveType, EngineResult::ErrReceive, result);
    if (!type) return result;
    const Sc64SaveArea area = SaveAreaOf(*type);
    return ReadIntoFile(session, change, area.address, area.size, "Reading the save...");
}

EngineResult Sc64RestoreSave(const Sc64Context& ctx, const std::string& path, std::optional<int> saveType) {
    std::string message;
    std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path, message));
    if (!file) {
        ctx.image.Report(message);
        return EngineResult::ErrOpen;
    }
    std::vector<std::uint8_t> bytes(kLargestSave + 1);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (saveType && SaveAreaOf(*saveType).size != 0 && bytes.size() != SaveAreaOf(*saveType).size) {
        ctx.image.Report(SizeMismatch(path, bytes.size(), *saveType));
        return EngineResult::ErrFailed;
    }
    Sc64Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrTransfer); opened != EngineResult::Ok)
        return opened;
    std::uint32_t cartType = 0;
    if (const LinkResult r = session.GetConfig(sc64::kConfigSaveType, cartType); r != LinkResult::Ok)
        return session.Fail(r, "CONFIG_GET", EngineResult::ErrTransfer);
    EngineResult result = EngineResult::Ok;
    const std::optional<int> type =
        ChosenSaveType(session, saveType ? saveType : std::optional<int>(static_cast<int>(cartType)),
                       EngineResult::ErrTransfer, result);
    if (!type) return result;
    const Sc64SaveArea area = SaveAreaOf(*type);
    if (bytes.size() != area.size) return session.FailWith(SizeMismatch(path, bytes.size(), *type), EngineResult::ErrFailed);
    if (static_cast<std::uint32_t>(*type) != cartType) {
        // The save goes where the game will look for it: the cart is set to the type named.
        if (const LinkResult r = session.SetConfig(sc64::kConfigSaveType, static_cast<std::uint32_t>(*type));
            r != LinkResult::Ok)
            return session.Fail(r, "CONFIG_SET", EngineResult::ErrTransfer);
        const std::string note = std::string("The cart's save type was ") + SaveTypeText(static_cast<int>(cartType)) +
                                 "; it is now " + SaveTypeText(*type);
        session.Status(note.c_str());
    }
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
