#include "engine/SaveTypeChoice.h"

#include <filesystem>
#include <memory>

#include "engine/ByteOrder.h"
#include "engine/ImageHash.h"
#include "engine/RomImage.h"

namespace q64 {

std::string SaveTypeChoice::Explanation() const {
    const std::string name = std::string("save type ") + SaveTypeName(type);
    switch (source) {
    case SaveTypeSource::Chosen: return name + ", as chosen";
    case SaveTypeSource::Header: return name + " from the image's header";
    case SaveTypeSource::Database:
        return name + " from the ROM database" + (goodName.empty() ? std::string() : " (" + goodName + ")");
    case SaveTypeSource::Unknown: return name + ": neither the image's header nor the ROM database names one";
    }
    return name;
}

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

std::optional<RomDatabase> LoadRomDatabase(const std::string& setting, std::string& message) {
    message.clear();
    const std::string path = setting.empty() ? kDefaultRomDatabasePath : setting;
    std::error_code ec;
    if (setting.empty() && !std::filesystem::exists(path, ec)) return std::nullopt;
    std::optional<RomDatabase> database = RomDatabase::Load(path, message);
    if (!database) message = "The ROM database " + path + " cannot be read: " + message;
    return database;
}

} // namespace q64
