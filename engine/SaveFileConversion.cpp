#include "engine/SaveFileConversion.h"

#include <ctime>
#include <sys/stat.h>

#include "engine/MemoryPak.h"
#include "engine/OperationIo.h"

namespace q64 {

namespace {

bool ReadSaveFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& message) {
    bool tooLarge = false;
    if (ReadWholeFile(path, srm::kSize, bytes, tooLarge, message)) return true;
    if (tooLarge) message = path + " is larger than any save";
    return false;
}

constexpr std::uint64_t kPakSetSize = 4 * mempak::kSize; // m64p-mpk: four paks in one file

// The size of the file at `path`; nothing when there is none.
std::optional<std::uint64_t> ExistingSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

SaveFileOutcome Fail(SaveFileOutcome out, EngineResult result, std::string message) {
    out.result = result;
    out.message = std::move(message);
    return out;
}

} // namespace

std::optional<SaveFormat> DetectSaveFile(const std::string& path, std::string& message) {
    std::vector<std::uint8_t> bytes;
    if (!ReadSaveFile(path, bytes, message)) return std::nullopt;
    const std::optional<SaveFormat> format = DetectSaveFormat(path, bytes);
    if (!format) message = "cannot tell what save " + path + " is";
    return format;
}

SaveFileOutcome ConvertSaveFile(const SaveFileRequest& request) {
    SaveFileOutcome out;
    std::vector<std::uint8_t> input;
    std::string message;
    if (!ReadSaveFile(request.in, input, message)) return Fail(out, EngineResult::ErrOpen, message);
    const std::optional<SaveFormat> from = request.from ? request.from : DetectSaveFormat(request.in, input);
    if (!from) return Fail(out, EngineResult::ErrFormat, "cannot tell what save " + request.in + " is; name its format");
    out.from = *from;
    const std::optional<std::uint64_t> outSize = ExistingSize(request.out);
    const bool exists = outSize.has_value();
    std::optional<SaveFormat> to = request.to ? request.to : OutputFormatFor(request.out, *from, input);
    if (!request.to && to == SaveFormat::Mpk && outSize == kPakSetSize)
        to = SaveFormat::M64pMpk; // mupen64plus' four paks under the same extension
    if (!to) return Fail(out, EngineResult::ErrFormat, "cannot tell the format from the name " + request.out + "; name it");
    out.to = *to;

    ConvertRequest convert;
    convert.from = *from;
    convert.to = *to;
    convert.pak = request.pak;
    convert.force = request.force;
    convert.formatSeed = static_cast<std::uint64_t>(std::time(nullptr));
    out.updated = exists && IsContainer(*to);
    if (out.updated) {
        if (SameFile(request.in, request.out)) return Fail(out, EngineResult::ErrFailed, "IN and OUT are the same file");
        if (*to == SaveFormat::M64pMpk && outSize != kPakSetSize)
            return Fail(out, EngineResult::ErrFormat,
                        request.out + " is not a file of four Controller Paks (131072 bytes); it was left as it is");
        if (!ReadSaveFile(request.out, convert.existingOut, message)) return Fail(out, EngineResult::ErrOpen, message);
    } else if (exists && request.existing == ExistingFile::Refuse) {
        return Fail(out, EngineResult::ErrFailed, request.out + " already exists");
    }
    ConvertOutcome converted = ConvertSave(input, convert);
    out.lossy = converted.lossy;
    out.message = converted.message;
    if (converted.result != EngineResult::Ok) return Fail(out, converted.result, converted.message);

    const EngineResult written = out.updated
                                     ? RewriteWholeFile(request.out, converted.bytes, request.mode, message,
                                                        &out.backup)
                                     : WriteWholeFile(request.out, converted.bytes, request.existing, message);
    if (written != EngineResult::Ok) return Fail(out, written, message);
    return out;
}

} // namespace q64
