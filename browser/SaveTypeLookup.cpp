#include "browser/SaveTypeLookup.h"

#include <sys/stat.h>

#include "engine/SaveTypeChoice.h"

namespace q64 {

namespace {
constexpr const char* kUnknown = "unknown";
} // namespace

SaveTypeLookup::SaveTypeLookup(std::string databaseSetting, std::function<void()> ready)
    : databaseSetting_(std::move(databaseSetting)), ready_(std::move(ready)) {}

SaveTypeLookup::~SaveTypeLookup() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::optional<std::string> SaveTypeLookup::Find(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::string(kUnknown);
    const Key key{path, static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec,
                  static_cast<unsigned long long>(info.st_ino)};
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (const auto known = answers_.find(key); known != answers_.end()) return known->second;
        wanted_ = std::make_pair(key, path);
        if (!worker_.joinable()) worker_ = std::thread(&SaveTypeLookup::Work, this);
    }
    wake_.notify_all();
    return std::nullopt;
}

void SaveTypeLookup::Work() {
    std::optional<RomDatabase> database;
    bool databaseRead = false;
    for (;;) {
        std::pair<Key, std::string> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || wanted_.has_value(); });
            if (stop_) return;
            job = *wanted_;
            wanted_.reset();
        }
        if (!databaseRead) {
            std::string ignored; // no database is a usual system: every image is "unknown"
            database = LoadRomDatabase(databaseSetting_, ignored);
            databaseRead = true;
        }
        // A newer request, or the end, stops the read under way.
        const ProgressFn stillWanted = [this](int) {
            const std::lock_guard<std::mutex> lock(mutex_);
            return stop_ || wanted_ ? kProgressCancelled : kProgressGoOn;
        };
        SaveTypeChoice choice;
        std::string message;
        const EngineResult result =
            GuessSaveType(job.second, database ? &*database : nullptr, stillWanted, choice, message);
        if (result == EngineResult::ErrCancelled) continue;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            answers_[job.first] = choice.source == SaveTypeSource::Unknown ? kUnknown : SaveTypeName(choice.type);
        }
        if (ready_) ready_();
    }
}

} // namespace q64
