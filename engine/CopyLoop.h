#pragma once
// The rewrite copy shared by the byte-order flip and the resize: streams the
// backup into the new file through the 32768-byte work buffer.

#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

struct CopyPlan {
    std::int64_t copyBytes = 0;  // bytes taken from the start of the source
    std::int64_t outputSize = 0; // final size; zeros are appended past copyBytes
    std::int64_t sourceSize = 0; // S, the size of the file before the change
    // Byte order conversion of every block: file bytes in `from` order are
    // written in `to` order (nothing when equal). A pair exchange leaves an odd
    // last byte as it is; a conversion to or from LittleEndian needs a source
    // that is a whole number of 4-byte words.
    ImageFormat from = ImageFormat::BigEndian;
    ImageFormat to = ImageFormat::BigEndian;
    // When set: the new content goes under this name (same folder, which
    // must be free) and the old name goes away (FileChange::RenameOnCommit).
    std::string renameTo;
};

// Rewrites the loaded file per `plan` in the rewrite style of the backup
// protocol (NoneInPlace acts like Temporary). The source must hold at least
// copyBytes bytes. After each block is read the progress is (S - K) / S, with
// S = sourceSize and K the bytes still to copy, reported only when the whole
// percentage changes: a truncating resize starts past 0 and every copy ends at
// 100, and the zero padding that follows is not reported. On cancel (ErrCancelled), a read or write
// failure (ErrFailed) or an output that cannot be created (ErrOpen) the file is
// back under its own name, byte for byte; each failure but the cancel is
// reported through the message sink.
EngineResult RewriteThroughWorkBuffer(RomImage& image, const CopyPlan& plan, BackupMode mode,
                                      const ProgressFn& progress);

} // namespace q64
