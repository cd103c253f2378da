// SIGTERM and SIGINT (a session that ends, a service manager stopping us, Ctrl+C in a terminal)
// end the program through its normal teardown instead of killing it, so the worker stops and the
// store is saved. The handler only writes the signal's number into a pipe; the UI thread reads it
// and runs onSignal. A second signal of the same kind, while the teardown runs, kills at once.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class QuitSignals {
public:
    // Create on the UI thread; onSignal runs there, once per signal caught. Only one instance may
    // exist at a time.
    explicit QuitSignals(std::function<void(int signal)> onSignal);
    ~QuitSignals();  // the previous dispositions come back
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // False when the pipe or the handlers could not be set up; the signals then keep their
    // default effect.
    bool Active() const { return notifier_ != nullptr; }

private:
    void OnReadable();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
