#include "link/apply_worker.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

// Waits on a condition, never a fixed time; fails after a generous limit.
template <class F>
bool WaitFor(F condition) {
    for (int i = 0; i < 2000 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

TEST(ApplyWorker, RunsOneApplyPerRequestOnlyWhileALinkIsUsable) {
    std::atomic<bool> usable{false};
    std::atomic<int> applies{0};
    ApplyWorker worker([&] { return usable.load(); }, [&] { ++applies; });
    worker.Start();
    worker.Post();
    worker.Post();
    ASSERT_TRUE(WaitFor([&] { return worker.RequestsDropped() == 2; }));
    EXPECT_EQ(applies, 0);

    usable = true;
    worker.Post();
    worker.Post();
    worker.Post();
    ASSERT_TRUE(WaitFor([&] { return worker.AppliesRun() == 3; }));
    EXPECT_EQ(applies, 3);
}

// A device event's save is handed to the worker, so the window never waits for the disk: it
// runs there whatever the links, after the apply in progress, and saves asked for while one
// is waiting become that one.
TEST(ApplyWorker, SavesRunOnTheWorkerWhateverTheLinksAndQueuedOnesMerge) {
    std::atomic<bool> releaseApply{false};
    std::atomic<int> saves{0};
    std::thread::id saveThread;
    ApplyWorker worker([] { return false; },
                       [] {},
                       [&] { WaitFor([&] { return releaseApply.load(); }); },  // dropped: busy
                       [&] {
                           saveThread = std::this_thread::get_id();
                           ++saves;
                       });
    worker.Start();
    worker.Post();  // keeps the worker busy until released
    worker.PostSave();
    worker.PostSave();
    worker.PostSave();
    releaseApply = true;
    ASSERT_TRUE(WaitFor([&] { return worker.Idle(); }));
    EXPECT_EQ(saves, 1);
    EXPECT_NE(saveThread, std::this_thread::get_id());
    EXPECT_EQ(worker.AppliesRun() + worker.RequestsDropped(), 1);

    worker.PostSave();
    ASSERT_TRUE(WaitFor([&] { return saves == 2; }));
}

TEST(ApplyWorker, AppliesNeverOverlap) {
    std::atomic<int> running{0};
    std::atomic<int> maxRunning{0};
    std::atomic<int> done{0};
    ApplyWorker worker([] { return true; },
                       [&] {
                           const int now = ++running;
                           maxRunning = std::max(maxRunning.load(), now);
                           std::this_thread::sleep_for(std::chrono::milliseconds(2));
                           --running;
                           ++done;
                       });
    worker.Start();
    std::thread a([&] {
        for (int i = 0; i < 10; ++i)
            worker.Post();
    });
    std::thread b([&] {
        for (int i = 0; i < 10; ++i)
            worker.Post();
    });
    a.join();
    b.join();
    ASSERT_TRUE(WaitFor([&] { return done == 20; }));
    EXPECT_EQ(maxRunning, 1);
}

TEST(ApplyWorker, QuitEndsTheLoopAfterTheApplyInProgressAndIgnoresLaterRequests) {
    std::atomic<bool> release{false};
    std::atomic<int> started{0};
    ApplyWorker worker([] { return true; },
                       [&] {
                           ++started;
                           while (!release) {
                               std::this_thread::sleep_for(std::chrono::milliseconds(1));
                           }
                       });
    worker.Start();
    worker.Post();
    worker.Post();
    ASSERT_TRUE(WaitFor([&] { return started == 1; }));
    worker.RequestQuit();
    release = true;
    worker.WaitForExit();
    EXPECT_EQ(started, 1);  // the queued second request is not sent after quit
    worker.Post();
    EXPECT_EQ(worker.AppliesRun(), 1);
}

TEST(ApplyWorker, QuitWithoutStartIsHarmless) {
    ApplyWorker worker([] { return true; }, [] {});
    worker.Quit();
    worker.Post();
    EXPECT_EQ(worker.AppliesRun(), 0);
}

}  // namespace
