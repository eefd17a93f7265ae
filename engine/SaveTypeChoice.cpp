#include "engine/SaveTypeChoice.h"

#include <filesystem>

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
