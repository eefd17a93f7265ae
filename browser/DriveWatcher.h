#pragma once
// One background thread per fixed, network or RAM volume that notices folders
// being created, deleted or renamed from outside the program, and reports the
// volume's index. The thread touches no tree data: it only waits on its
// inotify descriptor and the shared stop event, and calls `report`.
//
// Linux has no notification over a whole subtree, so the tree tells the
// watcher which folders are on screen (SetFolders); those are the folders
// whose changes can alter what the tree shows.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace q64 {

// A manual-reset event shared by every watcher: once set it stays set, so one
// Set() ends all of them.
class StopEvent {
public:
    StopEvent();
    ~StopEvent();
    StopEvent(const StopEvent&) = delete;
    StopEvent& operator=(const StopEvent&) = delete;
    void Set();
    int Fd() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

class DriveWatcher {
public:
    // `report` runs on the watcher's thread with `volumeIndex`. Reports are
    // coalesced: after one report no other is made until Acknowledge(), and a
    // burst of changes within ~100 ms gives one report.
    DriveWatcher(int volumeIndex, std::shared_ptr<StopEvent> stop, std::function<void(int volumeIndex)> report);
    ~DriveWatcher(); // waits for the thread (the owner sets the stop event first)
    DriveWatcher(const DriveWatcher&) = delete;
    DriveWatcher& operator=(const DriveWatcher&) = delete;

    // Sets up the notification and starts the thread; false (and no thread)
    // when that cannot be done; the volume is then simply not watched.
    bool Start();
    // Waits until the thread has ended; call after the stop event was set.
    void Join();
    bool Running() const { return thread_.joinable(); }

    // The folders to watch from now on (interface thread only). Folders that
    // cannot be watched are left out silently.
    void SetFolders(const std::vector<std::string>& folders);
    std::size_t WatchedCount() const { return watches_.size(); }
    // The last report was handled; the next change reports again.
    void Acknowledge() { pending_.store(false); }
    int VolumeIndex() const { return volumeIndex_; }

private:
    void Run();
    bool DrainEvents(); // true when a folder event was read

    int volumeIndex_;
    std::shared_ptr<StopEvent> stop_;
    std::function<void(int)> report_;
    int inotifyFd_ = -1;
    std::map<std::string, int> watches_; // folder -> watch descriptor
    std::atomic<bool> pending_{false};
    std::thread thread_;
};

} // namespace q64
