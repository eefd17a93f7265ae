#pragma once
// Small pieces the file operations share: stream reads and writes that report
// exactly what happened, and the texts they show through the message sink.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

class FileChange;
class RomImage;

// Texts shown through the message sink by the file operations.
namespace messages {
inline constexpr const char* kOpenForRead = "Unable to Open File for Read";
inline constexpr const char* kOpenForWrite = "Unable to Open File for Write";
inline constexpr const char* kBackup = "Unable to Create Backup File";
inline constexpr const char* kRead = "Error Reading File";
inline constexpr const char* kWrite = "Error Writing File";
inline constexpr const char* kNotLoaded = "No File Loaded";
inline constexpr const char* kNotImage = "Not an Uncompressed Image";
inline constexpr const char* kNotAnyImage = "Not an Image";
inline constexpr const char* kTooLarge = "File Too Large";
} // namespace messages

// Size of the file at `path` in bytes, or -1 when it cannot be measured.
std::int64_t FileSizeOnDisk(const std::string& path);

// Size of an open file in bytes, or -1 when it cannot be measured. The
// position is left unchanged.
std::int64_t StreamSize(std::FILE* file);

// Reads until `count` bytes arrived, the file ends or a read fails. Returns the
// count read; a short count with ferror() set means a read failure.
std::size_t ReadUpTo(std::FILE* file, std::uint8_t* out, std::size_t count);

// Writes all `count` bytes; false on a short write.
bool WriteAll(std::FILE* file, const std::uint8_t* bytes, std::size_t count);

// Reads an open stream from its position to its end into `out`, when that is
// at most `limit` bytes.
enum class WholeRead { Ok, Failed, TooLarge };
WholeRead ReadWholeStream(std::FILE* file, std::uint64_t limit, std::vector<std::uint8_t>& out);

// Reads a whole regular file the user named, of at most `limit` bytes (never
// blocking on a pipe or device). False when it cannot be opened or read, with
// `message` saying why, or when it is larger (then `tooLarge` is set).
bool ReadWholeFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out, bool& tooLarge,
                   std::string& message);

// True when both paths name one existing file (through links as well).
bool SameFile(const std::string& a, const std::string& b);

// Writes `count` bytes at file offset `offset` of the loaded file in the
// in-place backup style: back up (unless the mode says none), write, commit.
// On any failure the file is restored from its backup and the sink is told.
EngineResult WriteInPlace(RomImage& image, BackupMode mode, long offset, const std::uint8_t* bytes, std::size_t count);

// Commits `change` of the loaded file: on failure says why through the sink;
// on success notes the backup kept, if any (RomImage::LastBackup).
EngineResult CommitChange(RomImage& image, FileChange& change);

// Sends `text` to the image's message sink and returns `result`, so a failing
// path reads `return Failure(image, EngineResult::ErrFailed, messages::kWrite);`.
EngineResult Failure(const RomImage& image, EngineResult result, const char* text);

} // namespace q64
