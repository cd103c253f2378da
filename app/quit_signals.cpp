#include "app/quit_signals.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcQuitSignals, "talvore.program")

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};

// The one pipe of the process: written by the handler, read by the UI thread.
int pipeFds[2] = {-1, -1};
struct sigaction previous[2];

void OnSignal(int signal) {
    const int savedErrno = errno;  // the handler may interrupt code that reads errno
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(pipeFds[1], &number, 1);
    errno = savedErrno;
}

void ClosePipe() {
    for (int& fd : pipeFds) {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
}

}  // namespace

QuitSignals::QuitSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (pipeFds[0] >= 0 || pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcQuitSignals) << "SIGTERM and SIGINT keep their default effect";
        return;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the first signal asks for the teardown; a second one of the same kind ends
    // the process even if the teardown hangs.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &action, &previous[i]);
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
}

QuitSignals::~QuitSignals() {
    if (!notifier_) {
        return;
    }
    notifier_.reset();
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &previous[i], nullptr);
    }
    ClosePipe();
}

void QuitSignals::OnReadable() {
    unsigned char number = 0;
    while (read(pipeFds[0], &number, 1) == 1) {
        qCInfo(lcQuitSignals) << "signal" << number << ": ending the program";
        if (onSignal_) {
            onSignal_(number);
        }
    }
}
