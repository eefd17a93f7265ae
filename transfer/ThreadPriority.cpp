#include "transfer/ThreadPriority.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace q64 {

namespace {
// Linux applies a nice value given for a thread id to that thread only.
id_t ThisThread() { return static_cast<id_t>(::syscall(SYS_gettid)); }
constexpr int kSteps[] = {10, 5, 2, 1}; // how far below the current value to try
} // namespace

ThreadPriorityBoost::ThreadPriorityBoost() {
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, ThisThread());
    if (current == -1 && errno != 0) return;
    saved_ = current;
    for (int step : kSteps) {
        if (::setpriority(PRIO_PROCESS, ThisThread(), current - step) == 0) {
            raised_ = true;
            return;
        }
    }
}

ThreadPriorityBoost::~ThreadPriorityBoost() {
    if (raised_) ::setpriority(PRIO_PROCESS, ThisThread(), saved_);
}

} // namespace q64
