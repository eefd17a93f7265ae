#include "engine/RomDatabase.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "engine/OperationIo.h"

namespace q64 {

namespace {
constexpr std::size_t kLargestDatabase = 64u << 20;
// RefMD5 chains longer than this are taken as a loop.
constexpr int kMostReferences = 16;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

SaveType SaveTypeOfText(std::string_view text) {
    if (text == "Eeprom 4KB") return SaveType::Eeprom4k;
    if (text == "Eeprom 16KB") return SaveType::Eeprom16k;
    if (text == "SRAM") return SaveType::Sram256k;
    if (text == "Flash RAM") return SaveType::FlashRam;
    return SaveType::None; // "None", "Controller Pack" (the save is on the pak) and anything unknown
}
} // namespace

RomDatabase RomDatabase::Parse(std::string_view text) {
    RomDatabase database;
    Section* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            current = close == std::string_view::npos ? nullptr : &database.entries_[Upper(line.substr(1, close - 1))];
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!current || equals == std::string_view::npos) continue;
        const std::string_view key = Trimmed(line.substr(0, equals));
        const std::string_view value = Trimmed(line.substr(equals + 1));
        if (key == "GoodName") current->entry.goodName = value;
        else if (key == "SaveType") current->entry.saveType = SaveTypeOfText(value);
        else if (key == "RefMD5") current->refMd5 = Upper(value);
    }
    return database;
}

std::optional<RomDatabase> RomDatabase::Load(const std::string& path, std::string& message) {
    std::vector<std::uint8_t> bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(path, kLargestDatabase, bytes, tooLarge, message)) {
        if (tooLarge) message = "it is larger than 64 MiB";
        return std::nullopt;
    }
    return Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<RomDatabaseEntry> RomDatabase::Find(const std::string& md5) const {
    auto found = entries_.find(Upper(md5));
    if (found == entries_.end()) return std::nullopt;
    RomDatabaseEntry entry = found->second.entry;
    for (int hops = 0; hops < kMostReferences && !found->second.refMd5.empty(); ++hops) {
        found = entries_.find(found->second.refMd5);
        if (found == entries_.end()) break;
        if (entry.goodName.empty()) entry.goodName = found->second.entry.goodName;
        if (!entry.saveType) entry.saveType = found->second.entry.saveType;
    }
    return entry;
}

} // namespace q64
