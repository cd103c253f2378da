// Where the start-up time goes: runs the program's start-up in the program's own order, notes the
// time after each step, runs the event loop until the main window's first frame is drawn, prints
// the steps and exits.
//
//   startup_steps PROGRAM_FOLDER [--panel] [--out FILE.json]
//
// PROGRAM_FOLDER is a copy of the demo's folder (driver libraries on the simulated hidapi, res/).
// With --panel the simulated mouse's control panel opens beside the window, as in talvore-demo.
// The program executes itself once more with the time of that exec in TALVORE_BENCH_EXEC_NS, so
// the first step is the time from exec to main (loading and relocating the libraries).
#include <time.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app/main_wnd.h"
#include "sim/panel/simulated_mouse_panel.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/single_instance.h"
#include "ui/ui_application.h"

namespace {

double MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

class StepLog {
public:
    StepLog() : last_(MonotonicMs()) {
        if (const char* exec = std::getenv("TALVORE_BENCH_EXEC_NS")) {
            const double execMs = std::strtod(exec, nullptr) / 1e6;
            steps_.emplace_back("exec to main (libraries loaded and relocated)", last_ - execMs);
            total_ = last_ - execMs;
        }
    }
    void Step(const char* name) {
        const double now = MonotonicMs();
        steps_.emplace_back(name, now - last_);
        total_ += now - last_;
        last_ = now;
    }
    void Print(const QString& out) const {
        QJsonArray steps;
        for (const auto& [name, ms] : steps_) {
            std::printf("%8.1f ms  %s\n", ms, name);
            steps.append(QJsonObject{{QStringLiteral("step"), QString::fromUtf8(name)},
                                     {QStringLiteral("ms"), ms}});
        }
        std::printf("%8.1f ms  total\n", total_);
        if (!out.isEmpty()) {
            QFile file(out);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(QJsonDocument(QJsonObject{{QStringLiteral("steps"), steps},
                                                     {QStringLiteral("total_ms"), total_}})
                               .toJson());
            }
        }
    }

private:
    double last_;
    double total_ = 0;
    std::vector<std::pair<const char*, double>> steps_;
};

// Notes the main window's show, its first paint, and the return to the event loop after it (the
// frame has then been handed to the X server).
class FirstFrame final : public QObject {
public:
    FirstFrame(StepLog& log, QWidget* window) : log_(log) { window->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !shown_) {
            shown_ = true;
            log_.Step("event loop to the connected state; window created, polished, laid out");
        } else if (event->type() == QEvent::Paint && shown_ && !painted_) {
            painted_ = true;
            log_.Step("window mapped and exposed by the X server");
            watched->removeEventFilter(this);
            QTimer::singleShot(0, [this] {
                log_.Step("first paint and flush");
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    StepLog& log_;
    bool shown_ = false;
    bool painted_ = false;
};

// Executes this program again, noting the moment; returns only when that fails.
void ExecAgainWithExecTime(char** argv) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const QByteArray ns =
        QByteArray::number(static_cast<qlonglong>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    setenv("TALVORE_BENCH_EXEC_NS", ns.constData(), 1);
    execv("/proc/self/exe", argv);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("TALVORE_BENCH_EXEC_NS") == nullptr) {
        ExecAgainWithExecTime(argv);
    }
    StepLog log;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER [--panel] [--out FILE.json]\n", argv[0]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    bool panel = false;
    QString out;
    for (int i = 2; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--panel") {
            panel = true;
        } else if (arg == "--out" && i + 1 < argc) {
            out = QString::fromLocal8Bit(argv[++i]);
        }
    }

    UiApplication app(argc, argv);
    log.Step("application object (X connection, platform plugin)");
    SingleInstance instance(QStringLiteral("talvore startup_steps"));
    instance.Start();
    log.Step("single-instance check");
    UiApplication::SetSkinFolder(folder + QStringLiteral("res/"));
    log.Step("skin folder; the theme read (it waits for the first window)");

    PagePlatform platform;
    platform.programFolder = folder;
    platform.bluetoothPresentAtStart = [] { return false; };
    platform.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
    platform.wait = [](int milliseconds) {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    };
    CMainWnd window(platform);
    log.Step("main window and page objects (keyboard layout, stores, links)");
    if (!window.Create(nullptr, 0, QRect(0, 0, 800, 572))) {
        return 2;
    }
    log.Step("window: main.xml, theme, controls, device half, language, tray, profiles");
    window.CenterWindow();
    if (panel) {
        sim::ShowSimulatedMousePanelAfterFirstFrame(window.RootWidget(),
                                                    folder + QStringLiteral("res/skins"));
        log.Step("simulated mouse's control panel (opens after the first frame)");
    }
    FirstFrame frame(log, window.RootWidget());
    app.MessageLoop();
    log.Print(out);
    std::fflush(stdout);
    // The teardown is not part of the start-up.
    std::_Exit(0);
}
