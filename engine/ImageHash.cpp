#include "engine/ImageHash.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <vector>
#include <zlib.h>

#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/Compression.h"
#include "engine/FileChange.h"
#include "engine/Progress.h"
#include "engine/RomImage.h"

namespace q64 {

struct Sha1::State {
    EVP_MD_CTX* context = nullptr;
};

Sha1::Sha1() : state_(std::make_unique<State>()) {
    state_->context = EVP_MD_CTX_new();
    EVP_DigestInit_ex(state_->context, EVP_sha1(), nullptr);
}

Sha1::~Sha1() { EVP_MD_CTX_free(state_->context); }

void Sha1::Update(const std::uint8_t* bytes, std::size_t count) {
    if (count != 0) EVP_DigestUpdate(state_->context, bytes, count);
}

Sha1Digest Sha1::Finish() {
    Sha1Digest digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(state_->context, digest.data(), &length);
    return digest;
}

namespace {
std::string HexText(const std::uint8_t* bytes, std::size_t count, const char* digits) {
    std::string text;
    text.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

// MD5 of the same bytes, beside the SHA-1 (libcrypto underneath).
class Md5 {
public:
    Md5() : context_(EVP_MD_CTX_new()) { EVP_DigestInit_ex(context_, EVP_md5(), nullptr); }
    ~Md5() { EVP_MD_CTX_free(context_); }
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;
    void Update(const std::uint8_t* bytes, std::size_t count) {
        if (count != 0) EVP_DigestUpdate(context_, bytes, count);
    }
    Md5Digest Finish() {
        Md5Digest digest{};
        unsigned int length = 0;
        EVP_DigestFinal_ex(context_, digest.data(), &length);
        return digest;
    }

private:
    EVP_MD_CTX* context_;
};
} // namespace

std::string HexDigest(const Sha1Digest& digest) { return HexText(digest.data(), digest.size(), "0123456789abcdef"); }

std::string HexDigestUpper(const Md5Digest& digest) {
    return HexText(digest.data(), digest.size(), "0123456789ABCDEF");
}

bool ParseHexDigest(const std::string& text, Sha1Digest& digest) {
    if (text.size() != 40) return false;
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < 20; ++i) {
        const int high = value(text[2 * i]), low = value(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        digest[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

// ---------------------------------------------------------------------------

struct CanonicalHasher::State {
    State(ImageFormat f, Digests d) : format(f), digests(d) {}
    ImageFormat format;
    Digests digests;
    Sha1 sha1;
    Md5 md5;
    uLong crc = crc32(0L, Z_NULL, 0);
    std::uint64_t size = 0;
    std::uint8_t carry[4] = {};
    std::size_t carried = 0;
    std::vector<std::uint8_t> boot; // canonical bytes 0..0xFFF
    std::unique_ptr<ChecksumSum> sum;

    // Canonical bytes, starting at canonical offset `size`.
    void Take(const std::uint8_t* bytes, std::size_t count) {
        if (digests == Digests::Verify) {
            sha1.Update(bytes, count);
            crc = crc32_z(crc, bytes, count);
        } else {
            md5.Update(bytes, count);
        }
        std::size_t at = 0;
        if (size < checksum::kDataStart) {
            const std::size_t n = std::min<std::size_t>(count, checksum::kDataStart - size);
            boot.insert(boot.end(), bytes, bytes + n);
            at = n;
            if (boot.size() == checksum::kDataStart) StartSum();
        }
        const std::uint64_t offset = size + at;
        if (sum && at < count && offset < checksum::kDataEnd) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count - at, checksum::kDataEnd - offset));
            sum->AddCanonical(bytes + at, n & ~std::size_t{3}, static_cast<std::size_t>(offset));
        }
        size += count;
    }

    void StartSum() {
        std::array<std::uint32_t, 64> table{};
        for (std::size_t i = 0; i < table.size(); ++i) {
            const std::uint8_t* w = boot.data() + checksum::kChip6105Table + 4 * i;
            table[i] = std::uint32_t{w[0]} << 24 | std::uint32_t{w[1]} << 16 | std::uint32_t{w[2]} << 8 | w[3];
        }
        sum = std::make_unique<ChecksumSum>(BootChipOf(boot.data()), table);
    }
};

CanonicalHasher::CanonicalHasher(ImageFormat format, Digests digests)
    : state_(std::make_unique<State>(format, digests)) {
    state_->boot.reserve(checksum::kDataStart);
}

CanonicalHasher::~CanonicalHasher() = default;

void CanonicalHasher::Add(const std::uint8_t* bytes, std::size_t count) {
    State& s = *state_;
    std::uint8_t word[4];
    // Finish a word begun by the previous call.
    while (s.carried != 0 && count != 0) {
        s.carry[s.carried++] = *bytes++;
        --count;
        if (s.carried == 4) {
            std::memcpy(word, s.carry, 4);
            ToCanonical(word, 4, s.format);
            s.Take(word, 4);
            s.carried = 0;
        }
    }
    // Whole words in place through a bounded scratch buffer (the input is const).
    std::uint8_t scratch[65536];
    const std::size_t whole = count & ~std::size_t{3};
    for (std::size_t done = 0; done < whole;) {
        const std::size_t n = std::min(whole - done, sizeof scratch);
        std::memcpy(scratch, bytes + done, n);
        ToCanonical(scratch, n, s.format);
        s.Take(scratch, n);
        done += n;
    }
    for (std::size_t i = whole; i < count; ++i) s.carry[s.carried++] = bytes[i];
}

ImageHashes CanonicalHasher::Finish() {
    State& s = *state_;
    if (s.carried != 0) {
        ToCanonical(s.carry, s.carried, s.format); // a pair exchange leaves an odd last byte
        s.Take(s.carry, s.carried);
        s.carried = 0;
    }
    ImageHashes out;
    out.format = s.format;
    out.size = s.size;
    out.crc32 = static_cast<std::uint32_t>(s.crc);
    out.sha1 = s.sha1.Finish();
    out.md5 = s.md5.Finish();
    if (s.sum) {
        // Past the end the sum counts zeros, as the checksum command does.
        static const std::uint8_t kZeros[kWorkBufferSize] = {};
        std::uint64_t offset = std::max<std::uint64_t>(s.size & ~std::uint64_t{3}, checksum::kDataStart);
        while (offset < checksum::kDataEnd) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof kZeros, checksum::kDataEnd - offset));
            s.sum->AddCanonical(kZeros, n, static_cast<std::size_t>(offset));
            offset += n;
        }
        std::uint32_t new1 = 0, new2 = 0;
        s.sum->Finish(new1, new2);
        const std::uint8_t* b = s.boot.data();
        const std::uint32_t stored1 = std::uint32_t{b[16]} << 24 | std::uint32_t{b[17]} << 16 | std::uint32_t{b[18]} << 8 | b[19];
        const std::uint32_t stored2 = std::uint32_t{b[20]} << 24 | std::uint32_t{b[21]} << 16 | std::uint32_t{b[22]} << 8 | b[23];
        out.hasChecksum = true;
        out.checksumValid = stored1 == new1 && stored2 == new2;
    }
    return out;
}

// ---------------------------------------------------------------------------

namespace {

constexpr std::size_t kReadChunk = 1 << 20;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};

// Reads up to `count` bytes; -1 on a read failure.
long ReadSome(std::FILE* file, std::uint8_t* out, std::size_t count) {
    const std::size_t n = std::fread(out, 1, count, file);
    if (n < count && std::ferror(file)) return -1;
    return static_cast<long>(n);
}

EngineResult Fail(std::string& message, EngineResult result, std::string text) {
    message = std::move(text);
    return result;
}

} // namespace

EngineResult HashImageFile(const std::string& path, ImageHashes& hashes, const ProgressFn& progress,
                           std::string& message, Digests digests) {
    message.clear();
    auto image = std::make_unique<RomImage>();
    switch (image->Identify(path)) {
    case EngineResult::Ok: break;
    case EngineResult::ErrFormat: return Fail(message, EngineResult::ErrFormat, "Not an Image");
    default: return Fail(message, EngineResult::ErrOpen, "Unable to Open File for Read");
    }
    if (!HasImageBit(image->GetKind())) return Fail(message, EngineResult::ErrFormat, "Not an Image");
    const ImageFormat format = image->ByteOrder();
    const bool compressed = image->Compressed();
    image.reset();

    // Never blocks: a name replaced by a pipe or device since Identify is refused here.
    std::string why;
    const std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path, why));
    struct stat info {};
    if (!file || ::fstat(::fileno(file.get()), &info) != 0) return Fail(message, EngineResult::ErrOpen, why);
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    ::posix_fadvise(::fileno(file.get()), 0, 0, POSIX_FADV_SEQUENTIAL);

    CanonicalHasher hasher(format, digests);
    ProgressReporter reporter(progress);
    std::vector<std::uint8_t> buffer(kReadChunk);
    std::uint64_t read = 0;

    if (!compressed) {
        for (;;) {
            const long n = ReadSome(file.get(), buffer.data(), buffer.size());
            if (n < 0) return Fail(message, EngineResult::ErrFailed, "Error Reading File");
            if (n == 0) break;
            hasher.Add(buffer.data(), static_cast<std::size_t>(n));
            read += static_cast<std::uint64_t>(n);
            if (!reporter.ReportFraction(read, fileSize)) return EngineResult::ErrCancelled;
        }
        hashes = hasher.Finish();
        return EngineResult::Ok;
    }

    // Compressed: the stored header with its plain marker back, then the body inflated.
    std::uint8_t head[container::kBodyOffset];
    if (ReadSome(file.get(), head, sizeof head) != static_cast<long>(sizeof head))
        return Fail(message, EngineResult::ErrFailed, "The compressed image is damaged");
    head[MarkerOffset(format)] = container::kPlainMarker;
    const std::uint64_t stated = std::uint64_t{head[64]} | std::uint64_t{head[65]} << 8 | std::uint64_t{head[66]} << 16 |
                                 std::uint64_t{head[67]} << 24;
    hasher.Add(head, header::kSize);
    read = sizeof head;

    z_stream z{};
    if (inflateInit(&z) != Z_OK) return Fail(message, EngineResult::ErrFailed, "The compressed image is damaged");
    std::vector<std::uint8_t> out(kReadChunk);
    std::uint64_t produced = header::kSize;
    int status = Z_OK;
    bool inputEnded = false;
    while (status != Z_STREAM_END) {
        if (z.avail_in == 0 && !inputEnded) {
            const long n = ReadSome(file.get(), buffer.data(), buffer.size());
            if (n < 0) {
                inflateEnd(&z);
                return Fail(message, EngineResult::ErrFailed, "Error Reading File");
            }
            inputEnded = n == 0;
            z.next_in = buffer.data();
            z.avail_in = static_cast<uInt>(n);
            read += static_cast<std::uint64_t>(n);
            if (!reporter.ReportFraction(read, fileSize)) {
                inflateEnd(&z);
                return EngineResult::ErrCancelled;
            }
        }
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        status = inflate(&z, Z_NO_FLUSH);
        const std::size_t got = out.size() - z.avail_out;
        hasher.Add(out.data(), got);
        produced += got;
        const bool stuck = status == Z_BUF_ERROR && inputEnded && z.avail_in == 0;
        if ((status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) || stuck) {
            inflateEnd(&z);
            return Fail(message, EngineResult::ErrFailed, "The compressed image is damaged");
        }
    }
    inflateEnd(&z);
    if (produced != stated) return Fail(message, EngineResult::ErrFailed, "The compressed image is damaged");
    hashes = hasher.Finish();
    hashes.compressed = true;
    return EngineResult::Ok;
}

} // namespace q64
