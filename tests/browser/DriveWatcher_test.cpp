// The folder watcher thread: it reports folder changes in watched folders,
// coalesces them until acknowledged, ignores files, and ends on the stop event.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "browser/DriveWatcher.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using namespace std::chrono_literals;

class Reports {
public:
    void Add(int volume) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++count_;
        last_ = volume;
        changed_.notify_all();
    }
    // Waits (at most `limit`) until at least `count` reports arrived.
    bool WaitFor(int count, std::chrono::milliseconds limit = 5000ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return count_ >= count; });
    }
    int Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    int Last() {
        std::lock_guard<std::mutex> lock(mutex_);
        return last_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
    int last_ = -1;
};

class DriveWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        watcher = std::make_unique<DriveWatcher>(3, stop, [this](int v) { reports.Add(v); });
        ASSERT_TRUE(watcher->Start());
        watcher->SetFolders({dir.Path()});
        ASSERT_EQ(watcher->WatchedCount(), 1u);
    }
    void TearDown() override {
        stop->Set();
        watcher->Join();
    }
    test::TempDir dir;
    std::shared_ptr<StopEvent> stop = std::make_shared<StopEvent>();
    Reports reports;
    std::unique_ptr<DriveWatcher> watcher;
};

TEST_F(DriveWatcherTest, ReportsFolderCreatedRenamedAndDeleted) {
    std::filesystem::create_directory(dir.File("GAMES"));
    ASSERT_TRUE(reports.WaitFor(1));
    EXPECT_EQ(reports.Last(), 3);
    watcher->Acknowledge();
    std::filesystem::rename(dir.File("GAMES"), dir.File("N64"));
    ASSERT_TRUE(reports.WaitFor(2));
    watcher->Acknowledge();
    std::filesystem::remove(dir.File("N64"));
    ASSERT_TRUE(reports.WaitFor(3));
}

TEST_F(DriveWatcherTest, FilesDoNotReport) {
    dir.Write("image.z64", samples::MakeUnknown());
    std::filesystem::remove(dir.File("image.z64"));
    EXPECT_FALSE(reports.WaitFor(1, 400ms));
}

TEST_F(DriveWatcherTest, BurstGivesOneReportUntilAcknowledged) {
    for (int i = 0; i < 20; ++i) std::filesystem::create_directory(dir.File("d" + std::to_string(i)));
    ASSERT_TRUE(reports.WaitFor(1));
    std::filesystem::create_directory(dir.File("later"));
    EXPECT_FALSE(reports.WaitFor(2, 400ms)); // not acknowledged yet
    watcher->Acknowledge();
    std::filesystem::create_directory(dir.File("after"));
    EXPECT_TRUE(reports.WaitFor(2));
}

TEST_F(DriveWatcherTest, UnwatchedFoldersAreQuiet) {
    std::filesystem::create_directory(dir.File("sub"));
    ASSERT_TRUE(reports.WaitFor(1));
    watcher->Acknowledge();
    watcher->SetFolders({dir.File("sub"), dir.File("does-not-exist")});
    EXPECT_EQ(watcher->WatchedCount(), 1u);
    std::filesystem::create_directory(dir.File("outside"));
    EXPECT_FALSE(reports.WaitFor(2, 400ms));
    std::filesystem::create_directory(dir.File("sub/inside"));
    EXPECT_TRUE(reports.WaitFor(2));
}

TEST(DriveWatcherStop, OneStopEventEndsEveryWatcher) {
    auto stop = std::make_shared<StopEvent>();
    DriveWatcher a(0, stop, nullptr), b(1, stop, nullptr);
    ASSERT_TRUE(a.Start());
    ASSERT_TRUE(b.Start());
    EXPECT_TRUE(a.Running());
    stop->Set();
    a.Join();
    b.Join();
    EXPECT_FALSE(a.Running());
    EXPECT_FALSE(b.Running());
    // Without a usable stop event no thread is started.
    DriveWatcher orphan(2, nullptr, nullptr);
    EXPECT_FALSE(orphan.Start());
}

} // namespace
} // namespace q64
