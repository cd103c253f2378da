#include "link/apply_worker.h"

#include <algorithm>

ApplyWorker::ApplyWorker(std::function<bool()> linkUsable, std::function<void()> runApply,
                         std::function<void()> onDropped, std::function<void()> save)
    : linkUsable_(std::move(linkUsable)),
      runApply_(std::move(runApply)),
      onDropped_(std::move(onDropped)),
      save_(std::move(save)) {}

ApplyWorker::~ApplyWorker() {
    Quit();
}

void ApplyWorker::Start() {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable() && !quit_) {
        thread_ = std::thread([this] { Loop(); });
    }
}

void ApplyWorker::Post(Request request) {
    {
        std::lock_guard lock(mutex_);
        if (quit_) {
            return;
        }
        queue_.push_back(request);
    }
    wake_.notify_one();
}

void ApplyWorker::Post() {
    Post(Request{});
}

void ApplyWorker::PostSave() {
    {
        std::lock_guard lock(mutex_);
        const bool waiting =
            std::any_of(queue_.begin(), queue_.end(), [](const Request& r) { return r.saveOnly; });
        if (quit_ || waiting) {
            return;
        }
        queue_.push_back(Request{0, 0, true});
    }
    wake_.notify_one();
}

void ApplyWorker::Quit() {
    RequestQuit();
    WaitForExit();
}

void ApplyWorker::RequestQuit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
}

void ApplyWorker::WaitForExit() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

int ApplyWorker::AppliesRun() const {
    std::lock_guard lock(mutex_);
    return appliesRun_;
}

bool ApplyWorker::Idle() const {
    std::lock_guard lock(mutex_);
    return queue_.empty() && !busy_;
}

int ApplyWorker::RequestsDropped() const {
    std::lock_guard lock(mutex_);
    return requestsDropped_;
}

void ApplyWorker::Loop() {
    Request request;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (quit_) {
                return;  // requests still queued at quit are not sent
            }
            request = queue_.front();
            queue_.pop_front();
            busy_ = true;
        }
        if (request.saveOnly) {
            if (save_) {
                save_();
            }
            std::lock_guard lock(mutex_);
            busy_ = false;
            continue;
        }
        const bool usable = linkUsable_();
        if (usable) {
            runApply_();
        } else if (onDropped_) {
            onDropped_();
        }
        std::lock_guard lock(mutex_);
        (usable ? appliesRun_ : requestsDropped_) += 1;
        busy_ = false;
    }
}
