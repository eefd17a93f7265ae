#pragma once
// Patch files of both kinds on disk: telling IPS from BPS, applying either to
// the loaded image, applying a BPS patch, and making a patch from the loaded
// image and a modified copy of it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

enum class PatchKind { Unknown, Ips, Bps };

// How a BPS patch is made: copying moved, shifted and repeated data from
// wherever it is in either image (MakeBpsDeltaPatch: the smallest patch), or
// in one pass that reads the original only at the same offsets (MakeBpsPatch:
// the fastest, large where data moved).
enum class BpsMethod { Delta, Linear };

// By the first bytes of a patch: "PATCH" or "BPS1".
PatchKind DetectPatchKind(const std::uint8_t* bytes, std::size_t size);
// The kind a new patch gets from its file name: BPS for a ".bps" name (case
// ignored), IPS otherwise.
PatchKind PatchKindForName(const std::string& path);

// Applies the BPS patch at `patchPath` to the loaded file, in the file's
// stored byte order: the whole new content goes to a temporary file that
// replaces the image only when every check passed. Before anything is written
// the patch's own CRC-32 and the image's size and CRC-32 are checked ("This
// patch is for an image of N bytes, this image has M"; "This patch is for an
// image with CRC-32 0x…, this image has 0x…", naming the byte order in which
// the image would match); the result's CRC-32 is checked before
// it replaces the file. Results: ErrNotLoaded; ErrOpen (image or patch
// unreadable); ErrNotPatch (no "BPS1"); ErrFormat (a damaged patch, or one for
// another image); ErrBackup; ErrFailed (a read or write failed); Ok. The image
// is unchanged on every failure, which is reported through the image's
// message sink. Memory: the patch, the image and the result.
EngineResult ApplyBpsPatch(RomImage& image, BackupMode mode, const std::string& patchPath);

// Applies an IPS or a BPS patch, told apart by its first bytes (ApplyIpsPatch
// or ApplyBpsPatch). ErrNotPatch, with a message and nothing changed, for a
// file that is neither; ErrOpen when the patch cannot be read.
EngineResult ApplyPatch(RomImage& image, BackupMode mode, const std::string& patchPath);

// Writes to `outPath` a patch of `kind` (Ips or Bps, the latter made by
// `method`) that turns the loaded uncompressed image into the uncompressed
// image at `modifiedPath`, on the bytes as stored. Refused with a message, nothing written: either file not an
// uncompressed image (ErrFailed), the two in different byte orders
// (ErrFailed), `outPath` naming one of them (ErrFailed), an IPS patch for a
// file over 16 MiB (ErrFormat, suggesting BPS). The patch file is written
// whole or not at all (an existing one is replaced). ErrOpen/ErrFailed when a
// file cannot be read or the patch written; ErrFailed when the delta
// method's index does not fit into memory. Memory: both images and the patch,
// and for the delta method about 3 bytes more per byte of the two images.
// `progress` hears the share of the modified image encoded, 100 once the patch
// is made, before it is written; when it asks to stop: ErrCancelled, nothing
// written and nothing said.
EngineResult CreatePatch(RomImage& original, const std::string& modifiedPath, const std::string& outPath,
                         PatchKind kind, BpsMethod method = BpsMethod::Delta, const ProgressFn& progress = {});

} // namespace q64
