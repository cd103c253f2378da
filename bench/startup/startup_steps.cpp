// Where the start-up time goes: runs the program's start-up in the program's own order, notes the
// time after each step, runs the event loop until the main window's first frame is drawn, prints
// the steps and exits.
//
//   startup_steps PROGRAM_FOLDER [--panel] [--out FILE.json]
//
// PROGRAM_FOLDER is a copy of the demo's folder (driver libraries on the simulated hidapi, res/).
// With --panel the simulated mouse's control panel opens beside the window, as in talvore-demo.
// The program executes itself once more with the time of that exec in TALVORE_BENCH_EXEC_NS (and
// the CPU time used before it in TALVORE_BENCH_EXEC_CPU_NS), so the first step is the time from
// exec to main (loading and relocating the libraries).
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
#include <vector>

#include "app/main_wnd.h"
#include "sim/panel/simulated_mouse_panel.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/single_instance.h"
#include "ui/ui_application.h"

namespace {

double ClockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double EnvMs(const char* name) {
    const char* ns = std::getenv(name);
    return ns == nullptr ? 0 : std::strtod(ns, nullptr) / 1e6;
}

// Each step with its wall time and the CPU time of the UI thread (the load of the machine
// stretches the first, hardly the second).
class StepLog {
public:
    StepLog() : lastWall_(ClockMs(CLOCK_MONOTONIC)), lastCpu_(ClockMs(CLOCK_THREAD_CPUTIME_ID)) {
        // The thread's CPU clock runs on through the exec; the time before it is taken off.
        Add("exec to main (libraries loaded and relocated)",
            lastWall_ - EnvMs("TALVORE_BENCH_EXEC_NS"),
            lastCpu_ - EnvMs("TALVORE_BENCH_EXEC_CPU_NS"));
    }
    void Step(const char* name) {
        const double wall = ClockMs(CLOCK_MONOTONIC);
        const double cpu = ClockMs(CLOCK_THREAD_CPUTIME_ID);
        Add(name, wall - lastWall_, cpu - lastCpu_);
        lastWall_ = wall;
        lastCpu_ = cpu;
    }
    void Print(const QString& out) const {
        QJsonArray steps;
        double wall = 0;
        double cpu = 0;
        for (const Entry& step : steps_) {
            std::printf("%8.1f ms  %8.1f ms CPU  %s\n", step.wallMs, step.cpuMs, step.name);
            steps.append(QJsonObject{{QStringLiteral("step"), QString::fromUtf8(step.name)},
                                     {QStringLiteral("ms"), step.wallMs},
                                     {QStringLiteral("cpu_ms"), step.cpuMs}});
            wall += step.wallMs;
            cpu += step.cpuMs;
        }
        std::printf("%8.1f ms  %8.1f ms CPU  total\n", wall, cpu);
        if (!out.isEmpty()) {
            QFile file(out);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(QJsonDocument(QJsonObject{{QStringLiteral("steps"), steps},
                                                     {QStringLiteral("total_ms"), wall},
                                                     {QStringLiteral("total_cpu_ms"), cpu}})
                               .toJson());
            }
        }
    }

private:
    struct Entry {
        const char* name;
        double wallMs;
        double cpuMs;
    };
    void Add(const char* name, double wallMs, double cpuMs) {
        steps_.push_back(Entry{name, wallMs, cpuMs});
    }

    double lastWall_;
    double lastCpu_;
    std::vector<Entry> steps_;
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
    auto nanoseconds = [](clockid_t clock) {
        timespec now{};
        clock_gettime(clock, &now);
        return QByteArray::number(static_cast<qlonglong>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    };
    setenv("TALVORE_BENCH_EXEC_CPU_NS", nanoseconds(CLOCK_THREAD_CPUTIME_ID).constData(), 1);
    setenv("TALVORE_BENCH_EXEC_NS", nanoseconds(CLOCK_MONOTONIC).constData(), 1);
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
    log.Step("window: main.xml, theme, controls, device half, language, profiles");
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
