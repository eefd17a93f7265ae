#pragma once
// The save type an image needs when the user names none, found as flashcart
// loaders find it: first the developer save byte of the image's own header,
// then the ROM database entry for the MD5 of the big-endian image.

#include <string>

#include "engine/EngineTypes.h"
#include "engine/RomDatabase.h"
#include "engine/SaveType.h"

namespace q64 {

enum class SaveTypeSource { Chosen, Header, Database, Unknown };

struct SaveTypeChoice {
    SaveType type = SaveType::None;
    SaveTypeSource source = SaveTypeSource::Unknown;
    std::string goodName; // the database's name of the image, when it knows it

    // What was used and why, for the status line and q64's output:
    // "save type EEPROM 4k, as chosen", "… from the image's header",
    // "… from the ROM database (NAME)", "save type none: neither the image's
    // header nor the ROM database names one".
    std::string Explanation() const;
};

// The choice for the image at `imagePath` (plain in any byte order, or
// compressed). The header decides when it carries "ED"; otherwise the image is
// read whole and its MD5 looked up in `database` (null: no database). Ok;
// ErrOpen, ErrFormat, ErrFailed or ErrCancelled from reading the image, with
// `message` saying why.
EngineResult GuessSaveType(const std::string& imagePath, const RomDatabase* database, const ProgressFn& progress,
                           SaveTypeChoice& choice, std::string& message);

// The database named by the settings (empty: the system's), or nothing when it
// cannot be read; `message` then says why (an empty setting and no database
// installed give no message: that is a usual system).
std::optional<RomDatabase> LoadRomDatabase(const std::string& setting, std::string& message);

} // namespace q64
