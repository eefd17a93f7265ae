#include "engine/IpsPatch.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/Backup.h"
#include "engine/ByteOrder.h"
#include "engine/FileChange.h"
#include "engine/OperationIo.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

// The length after the records, before any size record: records past the end extend the file.
std::uint64_t GrownSize(const IpsPlan& plan, std::uint64_t currentSize) {
    std::uint64_t size = currentSize;
    for (const IpsChange& c : plan.changes)
        if (c.length > 0) size = std::max<std::uint64_t>(size, std::uint64_t{c.offset} + c.length);
    return size;
}

std::uint32_t Big(const std::uint8_t* p, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i) v = v << 8 | p[i];
    return v;
}

// Writes all of `data` at `offset`; false on any failure.
bool WriteAt(int fd, const std::uint8_t* data, std::size_t length, std::uint64_t offset) {
    while (length > 0) {
        const ssize_t n = ::pwrite(fd, data, length, static_cast<off_t>(offset));
        if (n <= 0) return false;
        data += n;
        length -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

// Reads up to `length` bytes at `offset`; the rest of `data` (past the end of the file) becomes zeros.
bool ReadAt(int fd, std::uint8_t* data, std::size_t length, std::uint64_t offset) {
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, data + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    std::memset(data + got, 0, length - got);
    return true;
}

constexpr std::uint64_t kWindow = kWorkBufferSize;

// For every 32768-byte window of the target, the changes that touch it, in
// patch order (a change across a window border is listed in each).
using WindowLists = std::vector<std::vector<std::uint32_t>>;

WindowLists ListWindows(const IpsPlan& plan) {
    WindowLists windows;
    for (std::uint32_t i = 0; i < plan.changes.size(); ++i) {
        const IpsChange& c = plan.changes[i];
        if (c.length == 0) continue;
        const std::uint64_t first = c.offset / kWindow;
        const std::uint64_t last = (std::uint64_t{c.offset} + c.length - 1) / kWindow;
        if (windows.size() <= last) windows.resize(last + 1);
        for (std::uint64_t w = first; w <= last; ++w) windows[w].push_back(i);
    }
    return windows;
}

// Applies the listed changes, in order, to the `length` bytes of the target
// that start at `start` (within one window). Applying them again to the result
// changes nothing.
void OverlayWindow(const IpsPlan& plan, const std::uint8_t* patch, const std::vector<std::uint32_t>& changes,
                   std::uint64_t start, std::uint8_t* data, std::size_t length) {
    for (const std::uint32_t i : changes) {
        const IpsChange& c = plan.changes[i];
        const std::uint64_t from = std::max<std::uint64_t>(c.offset, start);
        const std::uint64_t to = std::min<std::uint64_t>(std::uint64_t{c.offset} + c.length, start + length);
        if (from >= to) continue;
        std::uint8_t* into = data + (from - start);
        if (c.kind == IpsRecordKind::Data)
            std::memcpy(into, patch + c.dataAt + (from - c.offset), to - from);
        else
            std::memset(into, c.value, to - from);
    }
}

// Writes the changes into the open file, window by window from `firstWindow`
// on: every window a change touches is read once, overlaid and written once,
// so a patch of many small records costs two calls per window rather than one
// per record. The file grows to `grownSize`; bytes between its old end and a
// change past it become zeros, as a write past the end leaves them.
bool WriteWindows(int fd, const IpsPlan& plan, const std::uint8_t* patch, const WindowLists& windows,
                  std::uint64_t firstWindow, std::uint64_t grownSize) {
    std::vector<std::uint8_t> buffer(kWindow);
    for (std::uint64_t w = firstWindow; w < windows.size(); ++w) {
        if (windows[w].empty()) continue;
        const std::uint64_t start = w * kWindow;
        const auto length = static_cast<std::size_t>(std::min(start + kWindow, grownSize) - start);
        if (!ReadAt(fd, buffer.data(), length, start)) return false;
        OverlayWindow(plan, patch, windows[w], start, buffer.data(), length);
        if (!WriteAt(fd, buffer.data(), length, start)) return false;
    }
    return true;
}

} // namespace

IpsPlan ParseIpsPatch(const std::uint8_t* patch, std::size_t size) {
    IpsPlan plan;
    if (size < ips::kSignatureSize || std::memcmp(patch, ips::kSignature, ips::kSignatureSize) != 0) {
        plan.defect = IpsDefect::NotPatch;
        return plan;
    }
    std::size_t at = ips::kSignatureSize;
    auto cut = [&](std::size_t recordStart) {
        plan.defect = IpsDefect::CutRecord;
        plan.defectAt = recordStart;
        plan.changes.clear();
        return plan;
    };
    while (at < size) {
        const std::size_t record = at;
        if (size - at < ips::kOffsetSize) return cut(record);
        const std::uint32_t offset = Big(patch + at, ips::kOffsetSize);
        at += ips::kOffsetSize;
        if (offset == ips::kEofOffset) {
            plan.endMarker = true;
            const std::size_t tail = size - at;
            if (tail == ips::kSizeRecordSize) {
                plan.newSize = Big(patch + at, ips::kSizeRecordSize);
            } else if (tail != 0) {
                plan.defect = IpsDefect::BadTail;
                plan.defectAt = at;
                plan.tailSize = tail;
                plan.changes.clear();
            }
            return plan;
        }
        if (size - at < ips::kLengthSize) return cut(record);
        const std::uint32_t length = Big(patch + at, ips::kLengthSize);
        at += ips::kLengthSize;
        IpsChange change;
        change.offset = offset;
        if (length > 0) {
            if (size - at < length) return cut(record);
            change.kind = IpsRecordKind::Data;
            change.length = length;
            change.dataAt = at;
            at += length;
        } else {
            if (size - at < ips::kRunHeaderSize) return cut(record);
            change.kind = IpsRecordKind::Run;
            change.length = Big(patch + at, 2);
            change.value = patch[at + 2];
            at += ips::kRunHeaderSize;
        }
        plan.changes.push_back(change);
    }
    return plan; // no "EOF": complete when it ends after a whole record
}

std::uint64_t PatchedSize(const IpsPlan& plan, std::uint64_t currentSize) {
    return plan.newSize ? *plan.newSize : GrownSize(plan, currentSize);
}

void ApplyIpsToBuffer(const IpsPlan& plan, const std::uint8_t* patch, std::vector<std::uint8_t>& target) {
    for (const IpsChange& c : plan.changes) {
        if (c.length == 0) continue;
        const std::size_t end = std::size_t{c.offset} + c.length;
        if (target.size() < end) target.resize(end, 0);
        if (c.kind == IpsRecordKind::Data)
            std::memcpy(target.data() + c.offset, patch + c.dataAt, c.length);
        else
            std::memset(target.data() + c.offset, c.value, c.length);
    }
    if (plan.newSize) target.resize(*plan.newSize, 0);
}

EngineResult ApplyIpsPatch(RomImage& image, BackupMode mode, const std::string& patchPath) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    // Patches address the big-endian or byte-swapped bytes they were made for.
    if (HasImageBit(image.GetKind()) && image.ByteOrder() == ImageFormat::LittleEndian) {
        image.Report(kConvertLittleEndianFirst);
        return EngineResult::ErrFormat;
    }
    const std::string path = image.Path();
    if (FileSizeOnDisk(path) < 0) {
        image.Report(messages::kOpenForRead);
        return EngineResult::ErrOpen;
    }

    std::vector<std::uint8_t> patch;
    bool tooLarge = false;
    std::string readFailure;
    if (!ReadWholeFile(patchPath, ips::kMaxPatchSize, patch, tooLarge, readFailure)) {
        image.Report(tooLarge ? "The IPS patch " + patchPath + " is too large" : readFailure);
        return tooLarge ? EngineResult::ErrFormat : EngineResult::ErrOpen;
    }
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    switch (plan.defect) {
    case IpsDefect::None: break;
    case IpsDefect::NotPatch:
        image.Report(patchPath + " is not an IPS patch file");
        return EngineResult::ErrNotPatch;
    case IpsDefect::CutRecord:
        image.Report("The IPS patch " + patchPath + " is damaged: the record at byte " +
                     std::to_string(plan.defectAt) + " is cut short. The image was not changed.");
        return EngineResult::ErrFormat;
    case IpsDefect::BadTail:
        image.Report("The IPS patch " + patchPath + " is damaged: " + std::to_string(plan.tailSize) +
                     (plan.tailSize == 1 ? " byte follows" : " bytes follow") +
                     " its end marker \"EOF\", where only a 3-byte size may. The image was not changed.");
        return EngineResult::ErrFormat;
    }
    // A kept backup replaces any file with the backup name: never the patch itself.
    if (SameFile(patchPath, path) || (mode == BackupMode::Keep && SameFile(patchPath, BackupPathFor(path, mode)))) {
        image.Report("The IPS patch " + patchPath + " would be overwritten by the image's backup");
        return EngineResult::ErrFormat;
    }

    // With a backup, the changes inside the old length are made while the
    // backup is copied back; only those past it are written afterwards.
    const WindowLists windows = ListWindows(plan);
    const BlockFilter overlay = [&](std::uint64_t offset, std::uint8_t* data, std::size_t length) {
        // Blocks come at window borders; each window's part gets that window's changes.
        for (std::uint64_t w = offset / kWindow; w < windows.size() && w * kWindow < offset + length; ++w) {
            const std::uint64_t from = std::max(offset, w * kWindow);
            const std::uint64_t to = std::min(offset + length, (w + 1) * kWindow);
            OverlayWindow(plan, patch.data(), windows[w], from, data + (from - offset), static_cast<std::size_t>(to - from));
        }
    };
    FileChange change;
    if (const EngineResult begun = change.BeginInPlace(path, mode, overlay); begun != EngineResult::Ok) {
        image.Report(change.Message());
        return begun;
    }
    const int fd = change.InPlaceDescriptor();
    struct stat info {};
    bool ok = fd >= 0 && ::fstat(fd, &info) == 0;
    if (ok) {
        const auto size = static_cast<std::uint64_t>(info.st_size);
        const bool copied = mode != BackupMode::NoneInPlace;
        ok = WriteWindows(fd, plan, patch.data(), windows, copied ? size / kWindow : 0, GrownSize(plan, size));
    }
    if (ok && plan.newSize) ok = ::ftruncate(fd, static_cast<off_t>(*plan.newSize)) == 0;
    if (!ok) {
        const std::string why = fd < 0 ? change.Message() : "Unable to write the patched image " + path;
        change.Rollback();
        image.Report(why + (mode == BackupMode::NoneInPlace && fd >= 0 ? "; it may be partly patched" : "; it was not changed"));
        return EngineResult::ErrFailed;
    }
    if (const EngineResult committed = change.Commit(); committed != EngineResult::Ok) {
        image.Report(change.Message());
        return committed;
    }
    return EngineResult::Ok;
}

} // namespace q64
