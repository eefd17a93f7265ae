#include "engine/Backup.h"

#include <array>
#include <cstdio>

#include "engine/RomImage.h"

namespace q64 {

namespace {

// Position of the extension's dot in the last path component, or npos.
std::size_t ExtensionDot(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

bool EqualsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i]) return false;
    }
    return i == a.size() && b[i] == '\0';
}

} // namespace

bool IsBackupPath(const std::string& path) {
    const std::size_t dot = ExtensionDot(path);
    return dot != std::string::npos && EqualsNoCase(path.substr(dot), ".bak");
}

std::string BackupPathFor(const std::string& path, BackupMode mode) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = ExtensionDot(path);
    std::string folder = path.substr(0, nameStart);
    std::string name = path.substr(nameStart, (dot == std::string::npos ? path.size() : dot) - nameStart);
    TrimRight(name);
    return folder + name + (mode == BackupMode::Keep ? ".bak" : "._bb");
}

EngineResult MakeBackup(const std::string& path, BackupMode mode, std::string& backupPath) {
    backupPath.clear();
    if (IsBackupPath(path)) return EngineResult::ErrFailed;
    const std::string backup = BackupPathFor(path, mode);
    // A file already named like its own backup ("GAME._bb") would be deleted by
    // the step below: refuse instead.
    if (backup == path) return EngineResult::ErrFailed;
    std::remove(backup.c_str());
    if (std::rename(path.c_str(), backup.c_str()) != 0) return EngineResult::ErrFailed;
    backupPath = backup;
    return EngineResult::Ok;
}

bool CopyFileContents(const std::string& from, const std::string& to, const CopyFilter& filter) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) return false;
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    std::array<unsigned char, kWorkBufferSize> buffer;
    bool ok = true;
    std::uint64_t offset = 0;
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (n > 0 && filter) filter(offset, buffer.data(), n);
        offset += n;
        if (n > 0 && std::fwrite(buffer.data(), 1, n, out) != n) {
            ok = false;
            break;
        }
        if (n < buffer.size()) {
            ok = !std::ferror(in);
            break;
        }
    }
    std::fclose(in);
    if (std::fclose(out) != 0) ok = false;
    if (!ok) std::remove(to.c_str());
    return ok;
}

// ---- in place -------------------------------------------------------------

InPlaceChange::~InPlaceChange() {
    if (active_) Rollback();
}

EngineResult InPlaceChange::Begin(const std::string& path, BackupMode mode, const CopyFilter& filter) {
    if (IsBackupPath(path)) return EngineResult::ErrBackup;
    path_ = path;
    mode_ = mode;
    backup_.clear();
    if (mode != BackupMode::NoneInPlace) {
        if (MakeBackup(path, mode, backup_) != EngineResult::Ok) return EngineResult::ErrBackup;
        if (!CopyFileContents(backup_, path, filter)) {
            std::rename(backup_.c_str(), path.c_str());
            backup_.clear();
            return EngineResult::ErrFailed;
        }
    }
    active_ = true;
    return EngineResult::Ok;
}

void InPlaceChange::Commit() {
    if (!active_) return;
    active_ = false;
    if (!backup_.empty() && mode_ != BackupMode::Keep) std::remove(backup_.c_str());
}

bool InPlaceChange::Rollback() {
    if (!active_) return false;
    active_ = false;
    if (backup_.empty()) return false;
    std::remove(path_.c_str());
    return std::rename(backup_.c_str(), path_.c_str()) == 0;
}

// ---- rewrite --------------------------------------------------------------

RewriteChange::~RewriteChange() {
    if (active_) Rollback();
}

void RewriteChange::CloseBoth() {
    if (in_) std::fclose(in_);
    if (out_) std::fclose(out_);
    in_ = out_ = nullptr;
}

EngineResult RewriteChange::Begin(const std::string& path, BackupMode mode) {
    if (IsBackupPath(path)) return EngineResult::ErrBackup;
    path_ = path;
    mode_ = mode == BackupMode::Keep ? BackupMode::Keep : BackupMode::Temporary;
    if (MakeBackup(path, mode_, backup_) != EngineResult::Ok) return EngineResult::ErrBackup;
    active_ = true;
    in_ = std::fopen(backup_.c_str(), "rb");
    if (in_) out_ = std::fopen(path.c_str(), "wb");
    if (!in_ || !out_) {
        Rollback();
        return EngineResult::ErrOpen;
    }
    // Callers that stream in small blocks (the 4096-byte zlib buffers) then
    // reach the disk in work-buffer-sized calls; memory stays fixed.
    std::setvbuf(in_, nullptr, _IOFBF, kWorkBufferSize);
    std::setvbuf(out_, nullptr, _IOFBF, kWorkBufferSize);
    return EngineResult::Ok;
}

EngineResult RewriteChange::Commit() {
    if (!active_) return EngineResult::ErrFailed;
    const bool writeOk = out_ && std::fflush(out_) == 0 && !std::ferror(out_);
    if (in_) std::fclose(in_);
    const bool closeOk = out_ && std::fclose(out_) == 0;
    in_ = out_ = nullptr;
    if (!writeOk || !closeOk) {
        Rollback();
        return EngineResult::ErrFailed;
    }
    active_ = false;
    if (mode_ != BackupMode::Keep) std::remove(backup_.c_str());
    return EngineResult::Ok;
}

void RewriteChange::Rollback() {
    CloseBoth();
    if (!active_) return;
    active_ = false;
    std::remove(path_.c_str());
    std::rename(backup_.c_str(), path_.c_str());
}

} // namespace q64
