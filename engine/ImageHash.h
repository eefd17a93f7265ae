#pragma once
// Hashes of an image as a preservation list names it: SHA-1 and CRC-32 of the
// whole image in canonical (big-endian) order (and MD5, the key of the ROM
// database), whatever order the file is
// stored in, and of the uncompressed image for a compressed one. The same pass
// checks the two header checksums, so a verified image needs one read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

using Sha1Digest = std::array<std::uint8_t, 20>;
using Md5Digest = std::array<std::uint8_t, 16>;

// Incremental SHA-1 (libcrypto underneath).
class Sha1 {
public:
    Sha1();
    ~Sha1();
    Sha1(const Sha1&) = delete;
    Sha1& operator=(const Sha1&) = delete;
    void Update(const std::uint8_t* bytes, std::size_t count);
    Sha1Digest Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// 40 lower-case hex digits.
std::string HexDigest(const Sha1Digest& digest);
// 32 upper-case hex digits, as ROM databases key their entries.
std::string HexDigestUpper(const Md5Digest& digest);
// Parses 40 hex digits (either case); false for anything else.
bool ParseHexDigest(const std::string& text, Sha1Digest& digest);

// What one pass over an image yields.
struct ImageHashes {
    std::uint64_t size = 0;     // canonical image bytes hashed
    std::uint32_t crc32 = 0;    // zlib's CRC-32 (Digests::Verify)
    Sha1Digest sha1{};          // (Digests::Verify)
    Md5Digest md5{};            // (Digests::Database)
    ImageFormat format = ImageFormat::BigEndian; // the file's own order
    bool compressed = false;
    bool hasChecksum = false;   // the image holds the 4096-byte boot area
    bool checksumValid = false; // the stored header pair equals the computed one
};

// Which digests a pass computes: SHA-1 and CRC-32 for verifying against a
// DAT file, MD5 for the ROM database; the header checksum is always checked.
enum class Digests { Verify, Database };

// Takes file bytes of any order at any chunk size and feeds their canonical
// order to the hashes and the header checksum. Pure: knows no files.
class CanonicalHasher {
public:
    explicit CanonicalHasher(ImageFormat format, Digests digests = Digests::Verify);
    ~CanonicalHasher();
    CanonicalHasher(const CanonicalHasher&) = delete;
    CanonicalHasher& operator=(const CanonicalHasher&) = delete;
    // `bytes` continue the file where the previous call ended.
    void Add(const std::uint8_t* bytes, std::size_t count);
    // Ends the pass (a last partial pair or word goes in as stored).
    ImageHashes Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Hashes the image at `path` (plain in any order, or compressed: inflated on
// the fly). The file is opened without blocking: anything but a regular file
// is refused. Progress is the share of the file read. Ok; ErrOpen (cannot be
// read); ErrFormat (not an image, or a little-endian file whose size is not a
// whole number of words); ErrFailed (a read failure or a damaged compressed
// body); ErrCancelled. `message` says why on failure.
EngineResult HashImageFile(const std::string& path, ImageHashes& hashes, const ProgressFn& progress,
                           std::string& message, Digests digests = Digests::Verify);

} // namespace q64
