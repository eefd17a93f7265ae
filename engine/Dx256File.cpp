#include "engine/Dx256File.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <sys/stat.h>

#include "engine/Backup.h"
#include "engine/FileChange.h"
#include "engine/OperationIo.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

// The blanks that end a "%s" word and that "%d" skips.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int BankFromLetter(char c) {
    if (c >= 'A' && c <= 'P') return c - 'A' + 1;
    if (c >= 'a' && c <= 'p') return c - 'a' + 1;
    return 0;
}

// At most `limit` bytes of `text`, shortened further so that no UTF-8
// sequence is cut in two.
std::string_view CutAt(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    for (int back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++back) --end;
    // Only back off over a real sequence (its lead byte 11xxxxxx); other bytes are single characters.
    if (end < limit && (static_cast<unsigned char>(text[end]) & 0xC0) != 0xC0) end = limit;
    return text.substr(0, end);
}

// The part of a physical line the reader looks at: up to a zero byte, at most 254 characters.
std::string_view ReadablePart(std::string_view line) {
    const std::size_t zero = line.find('\0');
    if (zero != std::string_view::npos) line = line.substr(0, zero);
    return line.substr(0, std::min(line.size(), dx256::kMaxLineLength));
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

bool IsValidRoom(int bank, int slot) {
    return bank >= 1 && bank <= dx256::kBankCount && slot >= 1 && slot <= dx256::kSlotCount;
}

int RoomIndex(int bank, int slot) { return (bank & 15) * 16 + (slot & 15); }

std::size_t RoomOffset(int bank, int slot) {
    return dx256::kRoomSize * static_cast<std::size_t>(dx256::kRoomCount - 1 - RoomIndex(bank, slot));
}

std::string RoomName(int bank, int slot) {
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d", static_cast<char>('A' + bank - 1), slot);
    return text;
}

std::optional<std::pair<int, int>> ParseRoomName(std::string_view text) {
    if (text.size() < 2 || text.size() > 3) return std::nullopt;
    const int bank = BankFromLetter(text[0]);
    int slot = 0;
    for (char c : text.substr(1)) {
        if (c < '0' || c > '9') return std::nullopt;
        slot = slot * 10 + (c - '0');
    }
    if (!IsValidRoom(bank, slot)) return std::nullopt;
    return std::make_pair(bank, slot);
}

std::optional<DescriptionLine> ParseDescriptionLine(std::string_view raw) {
    const std::string_view line = ReadablePart(raw);
    if (line.substr(0, 4) != "Bank" || line.size() < 5) return std::nullopt;
    std::size_t at = 4;
    const int bank = BankFromLetter(line[at++]);
    // "%2d": blanks skipped, then a sign and digits, two characters at most.
    while (at < line.size() && IsBlank(line[at])) ++at;
    const std::size_t fieldEnd = std::min(line.size(), at + 2);
    bool negative = false;
    if (at < fieldEnd && (line[at] == '+' || line[at] == '-')) negative = line[at++] == '-';
    int slot = 0;
    int digits = 0;
    for (; at < fieldEnd && line[at] >= '0' && line[at] <= '9'; ++at, ++digits) slot = slot * 10 + (line[at] - '0');
    if (digits == 0) return std::nullopt;
    if (negative) slot = -slot;
    if (at >= line.size() || line[at] != '=') return std::nullopt;
    ++at;
    // "%s": blanks skipped, then one word.
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end == at || !IsValidRoom(bank, slot)) return std::nullopt;
    return DescriptionLine{bank, slot, std::string(CutAt(line.substr(at, end - at), dx256::kMaxDescriptionLength))};
}

std::string FormatDescriptionLine(int bank, int slot, std::string_view text) {
    return "Bank" + RoomName(bank, slot) + "=" + std::string(text);
}

std::string CleanDescription(std::string_view text) {
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    std::string out(CutAt(text, dx256::kMaxDescriptionLength));
    for (char& c : out)
        if (IsBlank(c)) c = '_';
    return out;
}

std::string DescriptionPathFor(const std::string& dx256Path) {
    const std::size_t slash = dx256Path.find_last_of('/');
    const std::size_t dot = dx256Path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? dx256Path.substr(0, dot) : dx256Path) + ".DXD";
}

// ---- Dx256Image ---------------------------------------------------------------

Dx256Image::Dx256Image() = default;

void Dx256Image::Report(const std::string& text) const {
    if (sink_) sink_(text);
}

void Dx256Image::Clear() {
    loaded_ = false;
    data_.clear();
    data_.shrink_to_fit();
    for (std::string& d : descriptions_) d.clear();
    used_.fill(false);
    changed_.fill(false);
    dataChanged_ = false;
}

Dx256LoadResult Dx256Image::LoadDx256(const std::string& path) {
    Clear();
    if (path.empty() || path.size() > kMaxPathLength) {
        Report(messages::kOpenForRead);
        return Dx256LoadResult::ErrOpen;
    }
    path_ = path;
    std::string message;
    std::FILE* f = OpenForReading(path, message);
    if (!f) {
        Report(message);
        return Dx256LoadResult::ErrOpen;
    }
    try {
        data_.assign(dx256::kFileSize, 0);
    } catch (const std::bad_alloc&) {
        std::fclose(f);
        Report("Not enough memory for " + path);
        return Dx256LoadResult::ErrMemory;
    }
    const std::size_t n = std::fread(data_.data(), 1, data_.size(), f);
    std::fclose(f);
    if (n != dx256::kFileSize) {
        Clear();
        Report(path + " is not a DX256 file of 131072 bytes");
        return Dx256LoadResult::ErrShort;
    }
    for (int bank = 1; bank <= dx256::kBankCount; ++bank) {
        for (int slot = 1; slot <= dx256::kSlotCount; ++slot) {
            const std::uint8_t* room = data_.data() + RoomOffset(bank, slot);
            bool used = false;
            for (std::size_t i = 0; i < dx256::kRoomSize && !used; ++i) used = room[i] != 0;
            used_[static_cast<std::size_t>(RoomIndex(bank, slot))] = used;
        }
    }
    loaded_ = true;
    // On a case-sensitive file system also find a lower-case ".dxd".
    descriptionPath_ = DescriptionPathFor(path);
    const std::string lower = descriptionPath_.substr(0, descriptionPath_.size() - 4) + ".dxd";
    if (!FileExists(descriptionPath_) && FileExists(lower)) descriptionPath_ = lower;
    ReadDescriptions();
    return Dx256LoadResult::Loaded;
}

void Dx256Image::ReadDescriptions() {
    if (SameFile(descriptionPath_, path_)) return; // a DX256 file named *.DXD has no descriptions
    std::string message;
    std::FILE* f = OpenForReading(descriptionPath_, message); // never a pipe: it would block
    if (!f) return;
    std::string line;
    bool more = true;
    while (more) {
        line.clear();
        int c;
        // Physical line; only its first 254 characters are kept.
        while ((c = std::fgetc(f)) != EOF && c != '\n')
            if (line.size() < dx256::kMaxLineLength) line.push_back(static_cast<char>(c));
        more = c != EOF;
        if (const auto parsed = ParseDescriptionLine(line)) {
            const auto index = static_cast<std::size_t>(RoomIndex(parsed->bank, parsed->slot));
            if (used_[index]) descriptions_[index] = parsed->text;
        }
    }
    std::fclose(f);
}

bool Dx256Image::IsRoomInUse(int bank, int slot) const {
    return loaded_ && IsValidRoom(bank, slot) && used_[static_cast<std::size_t>(RoomIndex(bank, slot))];
}

std::vector<std::uint8_t> Dx256Image::RoomData(int bank, int slot) const {
    if (!loaded_ || !IsValidRoom(bank, slot)) return {};
    const auto from = data_.begin() + static_cast<std::ptrdiff_t>(RoomOffset(bank, slot));
    return std::vector<std::uint8_t>(from, from + static_cast<std::ptrdiff_t>(dx256::kRoomSize));
}

std::optional<std::string> Dx256Image::GetRoomDescription(int bank, int slot) const {
    if (!loaded_ || !IsValidRoom(bank, slot)) return std::nullopt;
    const auto index = static_cast<std::size_t>(RoomIndex(bank, slot));
    if (!used_[index]) return std::string();
    std::string text = descriptions_[index];
    TrimRight(text);
    return text.empty() ? std::string("Unknown") : text;
}

EngineResult Dx256Image::SetRoomDescription(int bank, int slot, std::string_view text) {
    if (!loaded_) return EngineResult::ErrNotLoaded;
    if (!IsValidRoom(bank, slot) || !IsRoomInUse(bank, slot)) return EngineResult::ErrFailed;
    const auto index = static_cast<std::size_t>(RoomIndex(bank, slot));
    descriptions_[index] = CleanDescription(text);
    changed_[index] = true;
    return EngineResult::Ok;
}

std::vector<RoomRow> Dx256Image::ListRooms() const {
    std::vector<RoomRow> rows;
    rows.reserve(dx256::kRoomCount);
    for (int bank = 1; bank <= dx256::kBankCount; ++bank) {
        for (int slot = 1; slot <= dx256::kSlotCount; ++slot) {
            RoomRow row;
            row.bank = bank;
            row.slot = slot;
            row.room = RoomName(bank, slot);
            row.inUse = IsRoomInUse(bank, slot);
            row.description = GetRoomDescription(bank, slot).value_or("");
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

EngineResult Dx256Image::PutRoom(int bank, int slot, const std::vector<std::uint8_t>& bytes) {
    if (!loaded_) return EngineResult::ErrNotLoaded;
    if (!IsValidRoom(bank, slot) || bytes.size() != dx256::kRoomSize) {
        Report("A room holds a save of exactly 512 bytes");
        return EngineResult::ErrFailed;
    }
    const auto index = static_cast<std::size_t>(RoomIndex(bank, slot));
    std::copy(bytes.begin(), bytes.end(), data_.begin() + static_cast<std::ptrdiff_t>(RoomOffset(bank, slot)));
    used_[index] = std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; });
    descriptions_[index].clear();
    changed_[index] = true;
    dataChanged_ = true;
    return EngineResult::Ok;
}

EngineResult Dx256Image::ClearRoom(int bank, int slot) {
    if (!loaded_) return EngineResult::ErrNotLoaded;
    if (!IsValidRoom(bank, slot)) return EngineResult::ErrFailed;
    if (!IsRoomInUse(bank, slot)) return EngineResult::Ok;
    return PutRoom(bank, slot, std::vector<std::uint8_t>(dx256::kRoomSize, 0));
}

EngineResult Dx256Image::MoveRoom(int bank, int slot, int toBank, int toSlot) {
    if (!loaded_) return EngineResult::ErrNotLoaded;
    if (!IsValidRoom(bank, slot) || !IsValidRoom(toBank, toSlot)) return EngineResult::ErrFailed;
    if (!IsRoomInUse(bank, slot)) {
        Report("Room " + RoomName(bank, slot) + " is empty");
        return EngineResult::ErrFailed;
    }
    if (bank == toBank && slot == toSlot) return EngineResult::Ok;
    const std::string description = descriptions_[static_cast<std::size_t>(RoomIndex(bank, slot))];
    PutRoom(toBank, toSlot, RoomData(bank, slot));
    descriptions_[static_cast<std::size_t>(RoomIndex(toBank, toSlot))] = description;
    return ClearRoom(bank, slot);
}

bool Dx256Image::HasChanges() const {
    return dataChanged_ || std::any_of(changed_.begin(), changed_.end(), [](bool c) { return c; });
}

EngineResult Dx256Image::Save(BackupMode mode) {
    lastBackups_.clear();
    if (!loaded_) return EngineResult::ErrNotLoaded;
    if (dataChanged_) {
        FileChange change;
        const EngineResult begun = change.BeginRewrite(path_, mode);
        if (begun != EngineResult::Ok) {
            Report("Unable to write " + path_ + ": " + change.Message());
            return begun;
        }
        if (std::fwrite(data_.data(), 1, data_.size(), change.Out()) != data_.size() ||
            change.Commit() != EngineResult::Ok) {
            const std::string why = change.Message();
            change.Rollback();
            Report("Unable to write " + path_ + (why.empty() ? "" : ": " + why) + "; the file was kept as it was");
            return EngineResult::ErrFailed;
        }
        dataChanged_ = false;
        if (!change.BackupPath().empty()) lastBackups_.push_back(change.BackupPath());
    }
    return WriteDescriptions(mode);
}

std::string Dx256Image::RewrittenText(const std::string& old) const {
    std::array<bool, dx256::kRoomCount> written{};
    std::string out;
    std::size_t at = 0;
    while (at < old.size()) {
        std::size_t end = old.find('\n', at);
        end = end == std::string::npos ? old.size() : end + 1;
        const std::string_view physical(old.data() + at, end - at);
        at = end;
        std::string_view content = physical;
        if (!content.empty() && content.back() == '\n') content.remove_suffix(1);
        const std::string_view lineEnd = physical.substr(content.size());
        const auto parsed = ParseDescriptionLine(content);
        const auto index = parsed ? static_cast<std::size_t>(RoomIndex(parsed->bank, parsed->slot)) : 0;
        if (!parsed || !changed_[index]) {
            out.append(physical); // not ours to change
            continue;
        }
        if (written[index] || descriptions_[index].empty()) continue; // replaced already, or cleared
        written[index] = true;
        const bool crlf = !content.empty() && content.back() == '\r';
        out += FormatDescriptionLine(parsed->bank, parsed->slot, descriptions_[index]);
        out += crlf ? "\r" : "";
        out.append(lineEnd); // a last line without its end stays so
    }
    for (int bank = 1; bank <= dx256::kBankCount; ++bank) {
        for (int slot = 1; slot <= dx256::kSlotCount; ++slot) {
            const auto index = static_cast<std::size_t>(RoomIndex(bank, slot));
            if (!changed_[index] || written[index] || descriptions_[index].empty()) continue;
            if (!out.empty() && out.back() != '\n') out += "\r\n";
            out += FormatDescriptionLine(bank, slot, descriptions_[index]) + "\r\n";
        }
    }
    return out;
}

EngineResult Dx256Image::SaveDescriptions(BackupMode mode) {
    lastBackups_.clear();
    return WriteDescriptions(mode);
}

EngineResult Dx256Image::WriteDescriptions(BackupMode mode) {
    if (!loaded_) return EngineResult::ErrNotLoaded;
    bool anyChange = false;
    for (bool c : changed_) anyChange = anyChange || c;
    if (!anyChange) return EngineResult::Ok;
    const std::string& target = descriptionPath_;
    if (target == path_ || SameFile(target, path_)) {
        Report("The descriptions of " + path_ + " cannot be written: " + target + " is the DX256 file itself");
        return EngineResult::ErrFormat;
    }

    const bool exists = FileExists(target);
    // Its own backup name: "NAME.DXD~" cannot be the kept backup of any other file.
    const std::string backup = target + "~";
    if (exists && mode == BackupMode::Keep && SameFile(backup, path_)) {
        Report("The descriptions of " + path_ + " cannot be written: their backup would replace the DX256 file");
        return EngineResult::ErrBackup;
    }
    std::string old;
    if (exists) {
        std::string message;
        std::FILE* f = OpenForReading(target, message);
        if (!f) {
            Report(message);
            return EngineResult::ErrOpen;
        }
        struct stat info {};
        if (::fstat(fileno(f), &info) != 0 || static_cast<std::uint64_t>(info.st_size) > dx256::kMaxRewriteSize) {
            std::fclose(f);
            Report(target + " is too large to be rewritten");
            return EngineResult::ErrFormat;
        }
        old.resize(static_cast<std::size_t>(info.st_size));
        const bool read = std::fread(old.data(), 1, old.size(), f) == old.size();
        std::fclose(f);
        if (!read) {
            Report("Unable to read " + target);
            return EngineResult::ErrFailed;
        }
    }
    const std::string text = RewrittenText(old);
    if (!exists && text.empty()) { // nothing to describe: no file is made
        changed_.fill(false);
        return EngineResult::Ok;
    }

    FileChange change;
    const EngineResult begun =
        exists ? change.BeginRewrite(target, mode, backup) : change.BeginNew(target, ExistingFile::Refuse);
    if (begun != EngineResult::Ok) {
        Report("Unable to write " + target + ": " + change.Message());
        return begun;
    }
    if (std::fwrite(text.data(), 1, text.size(), change.Out()) != text.size() || change.Commit() != EngineResult::Ok) {
        const std::string why = change.Message();
        change.Rollback();
        Report("Unable to write " + target + (why.empty() ? "" : ": " + why) +
               (exists ? "; the previous descriptions were kept" : ""));
        return EngineResult::ErrFailed;
    }
    if (!change.BackupPath().empty()) lastBackups_.push_back(change.BackupPath());
    changed_.fill(false);
    return EngineResult::Ok;
}

} // namespace q64
