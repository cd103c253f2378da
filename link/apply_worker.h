// The worker thread that sends settings to the mouse: one apply per request, one at a time, so
// the window never waits for the mouse's paced transfers.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class ApplyWorker {
public:
    struct Request {
        uint64_t wParam = 0;
        int64_t lParam = 0;
        bool saveOnly = false;  // write the store, whatever the links
    };

    // linkUsable is asked before each request; a request that finds no usable link is dropped,
    // and onDropped (when given) runs in its place on the worker thread.
    // save runs for PostSave's requests.
    ApplyWorker(std::function<bool()> linkUsable, std::function<void()> runApply,
                std::function<void()> onDropped = {}, std::function<void()> save = {});
    ~ApplyWorker();  // Quit()

    ApplyWorker(const ApplyWorker&) = delete;
    ApplyWorker& operator=(const ApplyWorker&) = delete;

    void Start();
    // Queues one apply request (the main window's 1329, forwarded as thread message 1648).
    // Thread-safe; requests after Quit() are ignored.
    void Post(Request request);
    void Post();
    // Queues one save of the store; one already waiting covers it.
    void PostSave();
    // Asks the loop to end after the apply in progress, and waits for the thread.
    void Quit();
    // The two halves of Quit(): ask without waiting, then wait.
    void RequestQuit();
    void WaitForExit();

    // Applies run and requests dropped so far (for the tests and the log).
    int AppliesRun() const;
    int RequestsDropped() const;
    // No request waits and none is being handled.
    bool Idle() const;

private:
    void Loop();

    std::function<bool()> linkUsable_;
    std::function<void()> runApply_;
    std::function<void()> onDropped_;
    std::function<void()> save_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> queue_;
    bool quit_ = false;
    bool busy_ = false;  // a request is being handled
    int appliesRun_ = 0;
    int requestsDropped_ = 0;
    std::thread thread_;
};
