#include "engine/Patches.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <strings.h>
#include <vector>

#include "engine/Backup.h"
#include "engine/BpsDelta.h"
#include "engine/BpsPatch.h"
#include "engine/ByteOrder.h"
#include "engine/FileChange.h"
#include "engine/IpsPatch.h"
#include "engine/OperationIo.h"
#include "engine/PatchMaker.h"
#include "engine/Progress.h"
#include "engine/RomImage.h"
#include "engine/Territory.h"

namespace q64 {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Reads a whole file the user named; reports through the image's sink and
// returns the result to give up with.
EngineResult ReadUserFile(const RomImage& image, const std::string& path, std::uint64_t limit, Bytes& out) {
    std::string why;
    bool tooLarge = false;
    if (ReadWholeFile(path, limit, out, tooLarge, why)) return EngineResult::Ok;
    if (tooLarge) {
        image.Report(std::string(messages::kTooLarge) + ": " + path);
        return EngineResult::ErrFormat;
    }
    image.Report(why);
    return EngineResult::ErrOpen;
}

std::string Hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

ImageFormat OtherOrder(ImageFormat format) {
    return format == ImageFormat::BigEndian ? ImageFormat::ByteSwapped : ImageFormat::BigEndian;
}

// Why a BPS patch cannot be applied, for the message sink.
std::string DefectText(BpsDefect defect, const std::string& patchPath, const BpsOutcome& outcome) {
    const std::string damaged = "The BPS patch " + patchPath + " is damaged: ";
    const std::string unchanged = ". The image was not changed.";
    switch (defect) {
    case BpsDefect::None:
    case BpsDefect::SourceMismatch: break; // not damage: told by the caller
    case BpsDefect::NotPatch: return patchPath + " is not a BPS patch file";
    case BpsDefect::CutShort: return damaged + "it is cut short" + unchanged;
    case BpsDefect::PatchCrc: return damaged + "its CRC-32 does not match its content" + unchanged;
    case BpsDefect::BadHeader: return damaged + "its sizes cannot be read" + unchanged;
    case BpsDefect::TooLarge: return "The BPS patch " + patchPath + " describes an image too large" + unchanged;
    case BpsDefect::BadAction:
        return damaged + "the action at byte " + std::to_string(outcome.defectAt) +
               " reaches outside the image, the result or the patch" + unchanged;
    case BpsDefect::ShortTarget: return damaged + "it ends before the patched image is complete" + unchanged;
    case BpsDefect::TargetCrc:
        return damaged + "the result has CRC-32 " + Hex32(outcome.actualCrc) + " instead of the one it names" +
               unchanged;
    }
    return damaged + unchanged;
}

} // namespace

PatchKind DetectPatchKind(const std::uint8_t* bytes, std::size_t size) {
    if (size >= ips::kSignatureSize && std::memcmp(bytes, ips::kSignature, ips::kSignatureSize) == 0)
        return PatchKind::Ips;
    if (size >= bps::kSignatureSize && std::memcmp(bytes, bps::kSignature, bps::kSignatureSize) == 0)
        return PatchKind::Bps;
    return PatchKind::Unknown;
}

PatchKind PatchKindForName(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    return ::strcasecmp(extension.c_str(), ".bps") == 0 ? PatchKind::Bps : PatchKind::Ips;
}

EngineResult ApplyBpsPatch(RomImage& image, BackupMode mode, const std::string& patchPath) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    const std::string path = image.Path();
    Bytes patch;
    if (const EngineResult read = ReadUserFile(image, patchPath, bps::kMaxSize, patch); read != EngineResult::Ok)
        return read;
    const BpsHeader header = ParseBpsPatch(patch.data(), patch.size());
    if (header.defect != BpsDefect::None) {
        image.Report(DefectText(header.defect, patchPath, {}));
        return header.defect == BpsDefect::NotPatch ? EngineResult::ErrNotPatch : EngineResult::ErrFormat;
    }
    // A kept backup replaces any file with the backup name: never the patch itself.
    if (SameFile(patchPath, path) || (mode == BackupMode::Keep && SameFile(patchPath, KeptBackupPathFor(path)))) {
        image.Report("The BPS patch " + patchPath + " would be overwritten by the image's backup");
        return EngineResult::ErrFormat;
    }

    FileChange change;
    if (const EngineResult begun = change.BeginRewrite(path, mode); begun != EngineResult::Ok) {
        image.Report(change.Message());
        return begun;
    }
    Bytes source;
    switch (ReadWholeStream(change.In(), bps::kMaxSize, source)) {
    case WholeRead::Ok: break;
    case WholeRead::Failed: image.Report(messages::kRead); return EngineResult::ErrFailed;
    case WholeRead::TooLarge: image.Report(messages::kTooLarge); return EngineResult::ErrFormat;
    }
    Bytes target;
    const BpsOutcome outcome = ApplyBpsToBuffer(header, patch.data(), source.data(), source.size(), target);
    if (outcome.defect == BpsDefect::SourceMismatch && source.size() != header.sourceSize) {
        image.Report("This patch is for an image of " + std::to_string(header.sourceSize) + " bytes, this image has " +
                     std::to_string(source.size()));
        return EngineResult::ErrFormat; // the change rolls back
    }
    if (outcome.defect == BpsDefect::SourceMismatch) {
        std::string text = "This patch is for an image with CRC-32 " + Hex32(header.sourceCrc) + ", this image has " +
                           Hex32(outcome.actualCrc);
        SwapBytePairs(source.data(), source.size());
        if (Crc32(source.data(), source.size()) == header.sourceCrc)
            text += "\nIt matches this image in the " + FormatByteOrder(OtherOrder(image.ByteOrder())) +
                    " byte order: change the image's format first.";
        image.Report(text);
        return EngineResult::ErrFormat; // the change rolls back
    }
    if (outcome.defect != BpsDefect::None) {
        image.Report(DefectText(outcome.defect, patchPath, outcome));
        return EngineResult::ErrFormat;
    }
    source = Bytes(); // the result alone is written
    if (!WriteAll(change.Out(), target.data(), target.size())) {
        change.Rollback();
        image.Report(std::string(messages::kWrite) + ": " + path + " was not changed");
        return EngineResult::ErrFailed;
    }
    return CommitChange(image, change);
}

EngineResult ApplyPatch(RomImage& image, BackupMode mode, const std::string& patchPath) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    // Patches address the big-endian or byte-swapped bytes they were made for.
    if (HasImageBit(image.GetKind()) && image.ByteOrder() == ImageFormat::LittleEndian) {
        image.Report(kConvertLittleEndianFirst);
        return EngineResult::ErrFormat;
    }
    std::string why;
    std::FILE* file = OpenForReading(patchPath, why);
    if (!file) {
        image.Report(why);
        return EngineResult::ErrOpen;
    }
    std::uint8_t head[ips::kSignatureSize] = {};
    const std::size_t got = ReadUpTo(file, head, sizeof head);
    std::fclose(file);
    switch (DetectPatchKind(head, got)) {
    case PatchKind::Ips: return ApplyIpsPatch(image, mode, patchPath);
    case PatchKind::Bps: return ApplyBpsPatch(image, mode, patchPath);
    case PatchKind::Unknown: break;
    }
    image.Report(patchPath + " is not an IPS or BPS patch file");
    return EngineResult::ErrNotPatch;
}

EngineResult CreatePatch(RomImage& original, const std::string& modifiedPath, const std::string& outPath,
                         PatchKind kind, BpsMethod method, const ProgressFn& progress) {
    if (!original.IsLoaded()) return EngineResult::ErrNotLoaded;
    const std::string& originalPath = original.Path();
    if (original.GetKind() != FileKind::Image) {
        original.Report(originalPath + " is not an uncompressed image");
        return EngineResult::ErrFailed;
    }
    RomImage modified;
    if (modified.Identify(modifiedPath) != EngineResult::Ok || modified.GetKind() != FileKind::Image) {
        original.Report(modifiedPath + " is not an uncompressed image");
        return EngineResult::ErrFailed;
    }
    if (modified.ByteOrder() != original.ByteOrder()) {
        original.Report("The two images are in different byte orders (" + FormatByteOrder(original.ByteOrder()) +
                        " and " + FormatByteOrder(modified.ByteOrder()) +
                        "): change the format of one of them first");
        return EngineResult::ErrFailed;
    }
    // Patches are applied only to the two orders the copiers take; one made
    // from little-endian images could never be applied here.
    if (original.ByteOrder() == ImageFormat::LittleEndian) {
        original.Report(kConvertLittleEndianFirst);
        return EngineResult::ErrFormat;
    }
    if (SameFile(outPath, originalPath) || SameFile(outPath, modifiedPath)) {
        original.Report("The patch would be written over " + outPath);
        return EngineResult::ErrFailed;
    }
    const bool ips = kind != PatchKind::Bps;
    if (ips && (static_cast<std::uint64_t>(original.FileSize()) > ips::kMaxMakeSize ||
                static_cast<std::uint64_t>(modified.FileSize()) > ips::kMaxMakeSize)) {
        original.Report("An IPS patch reaches only the first 16 MiB of an image; these images are larger. "
                        "Make a BPS patch instead.");
        return EngineResult::ErrFormat;
    }

    Bytes before;
    Bytes after;
    if (const EngineResult read = ReadUserFile(original, originalPath, bps::kMaxSize, before); read != EngineResult::Ok)
        return read;
    if (const EngineResult read = ReadUserFile(original, modifiedPath, bps::kMaxSize, after); read != EngineResult::Ok)
        return read;
    Bytes patch;
    if (ips) {
        // At most 16 MiB in one quick pass: only its start and end are told.
        ProgressReporter reporter(progress);
        if (!reporter.Report(0)) return EngineResult::ErrCancelled;
        if (!MakeIpsPatch(before.data(), before.size(), after.data(), after.size(), patch)) {
            // The files grew between the check and the read.
            original.Report(messages::kTooLarge);
            return EngineResult::ErrFormat;
        }
        if (!reporter.Report(100)) return EngineResult::ErrCancelled;
    } else if (method == BpsMethod::Linear) {
        patch = MakeBpsPatch(before.data(), before.size(), after.data(), after.size(), progress);
    } else {
        try {
            patch = MakeBpsDeltaPatch(before.data(), before.size(), after.data(), after.size(), progress);
        } catch (const std::bad_alloc&) {
            original.Report("Not enough memory to make a BPS patch of these images: nothing was written");
            return EngineResult::ErrFailed;
        }
    }
    if (patch.empty()) return EngineResult::ErrCancelled; // a made patch has its signature at least
    before = Bytes();
    after = Bytes();

    FileChange out;
    if (const EngineResult begun = out.BeginNew(outPath, ExistingFile::Replace); begun != EngineResult::Ok) {
        original.Report(out.Message());
        return begun;
    }
    if (!WriteAll(out.Out(), patch.data(), patch.size())) {
        out.Rollback();
        original.Report(messages::kWrite);
        return EngineResult::ErrFailed;
    }
    if (const EngineResult committed = out.Commit(); committed != EngineResult::Ok) {
        original.Report(out.Message());
        return committed;
    }
    return EngineResult::Ok;
}

} // namespace q64
