#pragma once
// Raises the calling thread's scheduling priority for the life of the object,
// as far as the process may (lowering the nice value needs CAP_SYS_NICE or an
// RLIMIT_NICE allowance), and restores the saved value afterwards. Best effort:
// when nothing can be raised nothing changes.

namespace q64 {

class ThreadPriorityBoost {
public:
    ThreadPriorityBoost();
    ~ThreadPriorityBoost();
    ThreadPriorityBoost(const ThreadPriorityBoost&) = delete;
    ThreadPriorityBoost& operator=(const ThreadPriorityBoost&) = delete;

    bool Raised() const { return raised_; }

private:
    int saved_ = 0;
    bool raised_ = false;
};

} // namespace q64
