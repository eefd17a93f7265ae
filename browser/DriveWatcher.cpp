#include "browser/DriveWatcher.h"

#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <set>

namespace q64 {

namespace {
constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr int kCoalesceMs = 100;
} // namespace

StopEvent::StopEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopEvent::~StopEvent() {
    if (fd_ >= 0) ::close(fd_);
}

void StopEvent::Set() {
    if (fd_ < 0) return;
    const std::uint64_t one = 1;
    // Never read back: the descriptor stays readable, as a manual-reset event.
    [[maybe_unused]] const auto written = ::write(fd_, &one, sizeof one);
}

DriveWatcher::DriveWatcher(int volumeIndex, std::shared_ptr<StopEvent> stop, std::function<void(int)> report)
    : volumeIndex_(volumeIndex), stop_(std::move(stop)), report_(std::move(report)) {}

DriveWatcher::~DriveWatcher() {
    Join();
    if (inotifyFd_ >= 0) ::close(inotifyFd_);
}

bool DriveWatcher::Start() {
    if (thread_.joinable() || !stop_ || !stop_->Valid()) return false;
    if (inotifyFd_ < 0) inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd_ < 0) return false;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        return false;
    }
    // It only waits and posts: the lowest priority will do (best effort).
    sched_param idle{};
    pthread_setschedparam(thread_.native_handle(), SCHED_IDLE, &idle);
    return true;
}

void DriveWatcher::Join() {
    if (thread_.joinable()) thread_.join();
}

void DriveWatcher::SetFolders(const std::vector<std::string>& folders) {
    if (inotifyFd_ < 0) return;
    const std::set<std::string> wanted(folders.begin(), folders.end());
    for (auto it = watches_.begin(); it != watches_.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        const int wd = it->second;
        it = watches_.erase(it);
        // Two paths may reach one folder (bind mounts): keep a watch still in use.
        const bool shared = std::any_of(watches_.begin(), watches_.end(), [wd](const auto& w) { return w.second == wd; });
        if (!shared) ::inotify_rm_watch(inotifyFd_, wd);
    }
    for (const std::string& folder : wanted) {
        if (watches_.count(folder)) continue;
        const int wd = ::inotify_add_watch(inotifyFd_, folder.c_str(), kFolderEvents);
        if (wd >= 0) watches_[folder] = wd;
    }
}

bool DriveWatcher::DrainEvents() {
    alignas(inotify_event) char buffer[8192];
    bool folderEvent = false;
    for (;;) {
        const ssize_t n = ::read(inotifyFd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const std::uint32_t mask = event->mask;
            if ((mask & IN_ISDIR) || (mask & (IN_DELETE_SELF | IN_MOVE_SELF)) || (mask & IN_Q_OVERFLOW))
                folderEvent = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return folderEvent;
}

void DriveWatcher::Run() {
    pollfd fds[2] = {{stop_->Fd(), POLLIN, 0}, {inotifyFd_, POLLIN, 0}};
    for (;;) {
        fds[0].revents = fds[1].revents = 0;
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return; // a failed wait ends the watcher
        }
        if (fds[0].revents) return;
        if (!(fds[1].revents & POLLIN)) continue;
        bool changed = DrainEvents();
        // Let a burst (a whole tree copied in) settle into one report.
        pollfd stopOnly{stop_->Fd(), POLLIN, 0};
        if (::poll(&stopOnly, 1, kCoalesceMs) > 0) return;
        changed = DrainEvents() || changed;
        if (changed && !pending_.exchange(true) && report_) report_(volumeIndex_);
    }
}

} // namespace q64
