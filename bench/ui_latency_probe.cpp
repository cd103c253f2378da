// The UI thread's event-loop latency while the worker thread is stuck in a receiver retry.
//
//   ui_latency_probe PROGRAM_FOLDER [--seconds S] [--out FILE.json]
//
// PROGRAM_FOLDER is a copy of the demo's folder. The program's main window runs here on the
// simulated mouse behind its receiver. Once a first full apply has gone through, the mouse stops
// acknowledging and a changed macro is applied: the worker sends the macro's three pieces again
// and again for 30 s. While it does, a DPI slider is dragged with synthetic mouse events at
// 125 Hz and the mouse sends power and DPI-stage events. A probe thread posts a time-stamped
// call to the UI thread every 2 ms; the latency is how long each call waited in the queue.
// The same probe first runs for the same time on the idle program: that is the baseline.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "app/main_wnd.h"
#include "link/program_messages.h"
#include "macro/macro_binding.h"
#include "sim/hidapi/shared_mouse.h"
#include "sim/simulated_gatt_backend.h"
#include "ui/ui_application.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kProbePeriodMs = 2;
constexpr int kDragPeriodMs = 8;  // a 125 Hz mouse
constexpr int kPowerEventPeriodMs = 100;
constexpr int kDpiPressPeriodMs = 700;  // under the popup's 2 s, so it stays open and updates

// Posts a time-stamped call to the UI thread every kProbePeriodMs and keeps the waits.
class LatencyProbe {
public:
    void Start() {
        running_ = true;
        thread_ = std::thread([this] {
            while (running_) {
                const auto posted = SteadyClock::now();
                QMetaObject::invokeMethod(
                    qApp,
                    [this, posted] {
                        const double waited =
                            std::chrono::duration<double, std::milli>(SteadyClock::now() - posted)
                                .count();
                        std::lock_guard lock(mutex_);
                        waits_.push_back(waited);
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(kProbePeriodMs));
            }
        });
    }
    // Stops posting; calls still queued are dropped from the figures.
    std::vector<double> Stop() {
        running_ = false;
        thread_.join();
        std::lock_guard lock(mutex_);
        return std::exchange(waits_, {});
    }

private:
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<double> waits_;
};

QJsonObject Percentiles(std::vector<double> waits) {
    std::sort(waits.begin(), waits.end());
    auto at = [&](double q) {
        if (waits.empty()) {
            return 0.0;
        }
        const auto i = static_cast<std::size_t>(q * static_cast<double>(waits.size() - 1));
        return waits[i];
    };
    return QJsonObject{{QStringLiteral("samples"), static_cast<qint64>(waits.size())},
                       {QStringLiteral("p50_ms"), at(0.50)},
                       {QStringLiteral("p99_ms"), at(0.99)},
                       {QStringLiteral("max_ms"), waits.empty() ? 0.0 : waits.back()}};
}

// Presses the slider's handle, then moves it back and forth across its groove until stopped.
class SliderDrag {
public:
    explicit SliderDrag(QSlider* slider) : slider_(slider) {
        QObject::connect(slider_, &QSlider::valueChanged, [this] { ++changes_; });
        QObject::connect(&timer_, &QTimer::timeout, [this] { Step(); });
    }
    void Start() {
        QStyleOptionSlider option;
        option.initFrom(slider_);
        option.orientation = slider_->orientation();
        option.minimum = slider_->minimum();
        option.maximum = slider_->maximum();
        option.sliderPosition = slider_->sliderPosition();
        option.sliderValue = slider_->value();
        option.subControls = QStyle::SC_SliderHandle;
        const QRect handle = slider_->style()->subControlRect(QStyle::CC_Slider, &option,
                                                              QStyle::SC_SliderHandle, slider_);
        at_ = handle.center();
        Send(QEvent::MouseButtonPress, Qt::LeftButton);
        timer_.start(kDragPeriodMs);
    }
    void Stop() {
        timer_.stop();
        Send(QEvent::MouseButtonRelease, Qt::NoButton);
    }
    int Moves() const { return moves_; }
    int ValueChanges() const { return changes_; }

private:
    void Step() {
        const int width = slider_->width();
        at_.rx() += direction_ * std::max(1, width / 60);
        if (at_.x() >= width - 4 || at_.x() <= 4) {
            direction_ = -direction_;
        }
        Send(QEvent::MouseMove, Qt::LeftButton);
        ++moves_;
    }
    void Send(QEvent::Type type, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const QPointF global = slider_->mapToGlobal(QPointF(at_));
        QCoreApplication::postEvent(
            slider_, new QMouseEvent(type, QPointF(at_), global, button, buttons, Qt::NoModifier));
    }

    QSlider* slider_;
    QTimer timer_;
    QPoint at_;
    int direction_ = 1;
    int moves_ = 0;
    int changes_ = 0;
};

// The mouse's own events: power status often, a DPI-stage change now and then.
class MouseEvents {
public:
    void Start() {
        running_ = true;
        thread_ = std::thread([this] {
            auto nextPress = SteadyClock::now();
            int level = 90;
            while (running_) {
                sim::SharedMouse().SetBattery(level, false, false);
                level = level > 10 ? level - 1 : 90;
                ++sent_;
                if (SteadyClock::now() >= nextPress) {
                    sim::SharedMouse().PressDpiButton();
                    ++sent_;
                    nextPress += std::chrono::milliseconds(kDpiPressPeriodMs);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(kPowerEventPeriodMs));
            }
        });
    }
    int Stop() {
        running_ = false;
        thread_.join();
        return sent_;
    }

private:
    std::atomic<bool> running_{false};
    std::thread thread_;
    int sent_ = 0;
};

int ReceiverMacroPieces() {
    int pieces = 0;
    for (const sim::TransferLogEntry& transfer : sim::SharedMouse().Log()) {
        if (transfer.link == sim::Link::Receiver && transfer.bytes.size() == 64) {
            ++pieces;
        }
    }
    return pieces;
}

void BindMacro(CMainWnd& window, uint16_t delay) {
    MacroRecord macro{};
    macro.name[0] = u'M';
    macro.actionCount = 2;
    macro.actions[0] = {0x04, kActionPress, delay};
    macro.actions[1] = {0x04, kActionRelease, delay};
    window.Page().Store().WithLock([&](ProfileStore& s) {
        BindMacroToButton(s.Current()->slots[0].buttons[4], macro, 0, 1, 1);
        return true;
    });
}

// Runs the event loop itself (QTest::qWait would sleep between its rounds and add latency).
bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (condition()) {
            loop.quit();
        }
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!condition()) {
        loop.exec();
    }
    return condition();
}

void RunFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

int Fail(const char* why) {
    std::fprintf(stderr, "ui_latency_probe: %s\n", why);
    std::fflush(stderr);
    std::_Exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER [--seconds S] [--out FILE.json]\n", argv[0]);
        return 1;
    }
    int seconds = 10;
    QString out;
    for (int i = 2; i + 1 < argc; i += 2) {
        const QByteArray arg(argv[i]);
        if (arg == "--seconds") {
            seconds = std::atoi(argv[i + 1]);
        } else if (arg == "--out") {
            out = QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    // The mouse sits behind its receiver, awake; nothing else is plugged.
    setenv("TALVORE_SIM_LINKS", "receiver,awake", 1);

    UiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    UiApplication::SetSkinFolder(folder + QStringLiteral("res/"));
    PagePlatform platform;
    platform.programFolder = folder;
    platform.bluetoothPresentAtStart = [] { return false; };
    platform.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
    platform.wait = [](int milliseconds) {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    };
    CMainWnd window(platform);
    if (!window.Create(nullptr, 0, QRect(0, 0, 800, 572))) {
        return Fail("the main window could not be built");
    }
    window.CenterWindow();
    if (!WaitFor([&] { return window.IsVisible(); }, 5000)) {
        return Fail("the window did not show: no mouse found behind the receiver");
    }
    auto* slider = window.RootWidget()->findChild<QSlider*>(QStringLiteral("ms_1_slider_dpi_1"));
    if (slider == nullptr || !slider->isVisible()) {
        return Fail("the first DPI slider is not on screen");
    }

    // The receiver carries reports once the mouse behind it has announced itself.
    if (!WaitFor([&] { return window.Page().Links()->Links().AnyLinkUsable(); }, 10000)) {
        return Fail("the mouse behind the receiver did not announce itself");
    }
    // A first full apply, acknowledged, so that the next one sends only what changes.
    ApplyWorker& worker = window.Page().Links()->Worker();
    BindMacro(window, 30);
    window.PostMessage(program_messages::kApplyRequest);
    if (!WaitFor([&] { return worker.AppliesRun() >= 1; }, 20000)) {
        return Fail("the first apply did not finish");
    }

    LatencyProbe probe;
    probe.Start();
    RunFor(seconds * 1000);
    const std::vector<double> idle = probe.Stop();

    // From now on nothing is acknowledged; the changed macro keeps the worker retrying.
    sim::SharedMouse().SetAckMode(sim::AckMode::Silent);
    BindMacro(window, 60);
    window.PostMessage(program_messages::kApplyRequest);
    const int piecesBefore = ReceiverMacroPieces();
    if (!WaitFor([&] { return ReceiverMacroPieces() > piecesBefore; }, 20000)) {
        return Fail("the macro retry did not start");
    }
    const int appliesBefore = worker.AppliesRun();

    SliderDrag drag(slider);
    MouseEvents events;
    probe.Start();
    drag.Start();
    events.Start();
    RunFor(seconds * 1000);
    const int deviceEvents = events.Stop();
    drag.Stop();
    const std::vector<double> busy = probe.Stop();
    const bool workerBusyThroughout = worker.AppliesRun() == appliesBefore;

    const QJsonObject result{
        {QStringLiteral("seconds"), seconds},
        {QStringLiteral("idle"), Percentiles(idle)},
        {QStringLiteral("busy"), Percentiles(busy)},
        {QStringLiteral("slider_moves"), drag.Moves()},
        {QStringLiteral("slider_value_changes"), drag.ValueChanges()},
        {QStringLiteral("device_events"), deviceEvents},
        {QStringLiteral("macro_pieces_resent"), ReceiverMacroPieces() - piecesBefore},
        {QStringLiteral("worker_busy_throughout"), workerBusyThroughout}};
    const QByteArray json = QJsonDocument(result).toJson();
    std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
    if (!out.isEmpty()) {
        QFile file(out);
        if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size()) {
            return Fail("the result could not be written");
        }
    }
    std::fflush(stdout);
    // The worker is still inside its 30 s retry; the teardown would wait for it.
    std::_Exit(workerBusyThroughout && drag.ValueChanges() > 0 ? 0 : 3);
}
