// GuessSaveType on its own: it is the one part of the save-type choice that
// hashes the image (libcrypto), and q64 calls it only through its services module.
#include "engine/SaveTypeChoice.h"

#include <memory>

#include "engine/ByteOrder.h"
#include "engine/ImageHash.h"
#include "engine/RomImage.h"

namespace q64 {

EngineResult GuessSaveType(const std::string& imagePath, const RomDatabase* database, const ProgressFn& progress,
                           SaveTypeChoice& choice, std::string& message) {
    choice = SaveTypeChoice{};
    message.clear();
    auto image = std::make_unique<RomImage>();
    if (image->Identify(imagePath) != EngineResult::Ok || !HasImageBit(image->GetKind())) {
        message = "Not an Image";
        return EngineResult::ErrFormat;
    }
    std::uint8_t header[header::kSize];
    std::copy_n(image->WorkBuffer(), header::kSize, header);
    ToCanonical(header, header::kSize, image->ByteOrder());
    image.reset();
    if (const std::optional<SaveType> declared = SaveTypeFromHeader(header)) {
        choice.type = *declared;
        choice.source = SaveTypeSource::Header;
        return EngineResult::Ok;
    }
    if (!database) return EngineResult::Ok;

    ImageHashes hashes;
    const EngineResult hashed = HashImageFile(imagePath, hashes, progress, message, Digests::Database);
    if (hashed != EngineResult::Ok) return hashed;
    if (const std::optional<RomDatabaseEntry> entry = database->Find(HexDigestUpper(hashes.md5))) {
        choice.goodName = entry->goodName;
        if (entry->saveType) {
            choice.type = *entry->saveType;
            choice.source = SaveTypeSource::Database;
        }
    }
    return EngineResult::Ok;
}

} // namespace q64
