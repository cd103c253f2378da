#include "ui/after_first_frame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kPaintWaitMs = 1000;

class AfterFirstFrame final : public QObject {
public:
    AfterFirstFrame(QWidget* window, std::function<void()> work)
        : QObject(window), window_(window), work_(std::move(work)) {
        window_->installEventFilter(this);
        // The window is shown by the messages already queued, if at all. A shown window that is
        // never exposed (minimised at once, a compositor that holds it back) gets the work a
        // little later all the same.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!window_->isVisible()) {
                    RunSoon();
                } else {
                    QTimer::singleShot(kPaintWaitMs, this, [this] { RunSoon(); });
                }
            },
            Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            RunSoon();
        }
        return false;
    }

private:
    // After the paint the frame is still to be handed to the display: the work waits until the
    // window system has it (the requests that carry it may still be in the client's buffer).
    void RunSoon() {
        if (scheduled_) {
            return;
        }
        scheduled_ = true;
        window_->removeEventFilter(this);
        QMetaObject::invokeMethod(
            this,
            [this] {
                const std::function<void()> work = std::move(work_);
                deleteLater();
                QGuiApplication::sync();
                work();
            },
            Qt::QueuedConnection);
    }

    QWidget* window_;
    std::function<void()> work_;
    bool scheduled_ = false;
};

}  // namespace

void RunAfterFirstFrame(QWidget* window, std::function<void()> work) {
    if (window == nullptr) {
        work();
        return;
    }
    new AfterFirstFrame(window, std::move(work));  // goes with the window, or when done
}
