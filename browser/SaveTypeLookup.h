#pragma once
// The save type the information panel shows for an image whose header names
// none: the ROM database's entry for the MD5 of the big-endian image. That
// needs the whole image read, so it is done on a worker thread, never on the
// interface's: Find answers at once with what is known and otherwise hands
// the file to the worker (a newer request replaces one not yet started and
// stops one under way); when an answer arrives `ready` is called, on the
// worker thread, and the next Find of the file knows it. Answers are kept for
// the run, per file stamp (path, size, modification time, inode): a changed
// file is looked up again. The database named by the setting is read once,
// by the worker, at its first lookup.

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

namespace q64 {

class SaveTypeLookup {
public:
    // `databaseSetting`: the "RomDatabase" setting (empty: the system's).
    SaveTypeLookup(std::string databaseSetting, std::function<void()> ready);
    ~SaveTypeLookup(); // stops and waits for the worker
    SaveTypeLookup(const SaveTypeLookup&) = delete;
    SaveTypeLookup& operator=(const SaveTypeLookup&) = delete;

    // The save type's name ("EEPROM 4k", ...), "unknown" when the database
    // has none for the image (or there is no database), or nothing while the
    // lookup is under way.
    std::optional<std::string> Find(const std::string& path);

private:
    using Key = std::tuple<std::string, long long, long long, unsigned long long>;
    void Work();

    std::string databaseSetting_;
    std::function<void()> ready_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<Key, std::string> answers_;
    std::optional<std::pair<Key, std::string>> wanted_; // the next file to look up
    bool stop_ = false;
    std::thread worker_;
};

} // namespace q64
