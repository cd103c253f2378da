// Times program starts on an X server: from the fork that executes a program to the map of its
// first top-level window of a given size, and to the first drawing in that window (its first
// frame on screen), with the CPU time the program's main thread had used by then (less sensitive
// to the machine's load than the wall time). After the frame it waits a moment and reads the peak
// resident size of the process, then ends it with SIGTERM. Programs are started in turns, round
// after round, so a change of machine load falls on all of them alike; one round before the timed
// ones warms the file cache.
//
//   first_window --runs N --size 800x572 --settle-ms 1000 --out result.json
//                --program NAME "[VAR=VALUE ...] PATH [ARG ...]" [--program ...]
//
// The command line of a program is split at spaces (paths must not hold any); leading VAR=VALUE
// words are set in its environment. Needs only Xlib and the DAMAGE extension, never Qt, so that
// the measuring side costs the same for every program it times.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string name;
    std::vector<std::string> environment;  // VAR=VALUE
    std::vector<std::string> argv;
};

struct Run {
    bool ok = false;
    double mapMs = 0;
    double paintMs = 0;
    double cpuMs = 0;  // the main thread's time on a CPU until the first drawing
    long peakKb = 0;   // VmHWM
    long residentKb = 0;
    std::string failure;
};

struct Options {
    int runs = 11;
    int width = 800;
    int height = 572;
    int settleMs = 1000;
    int timeoutMs = 20000;
    std::string out;
    std::vector<Program> programs;
};

// Windows of other programs come and go while we watch them; a request about one that is already
// gone fails harmlessly.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

std::optional<Program> ParseProgram(const std::string& name, const std::string& command) {
    Program program;
    program.name = name;
    for (const std::string& word : SplitWords(command)) {
        if (program.argv.empty() && word.find('=') != std::string::npos && word[0] != '/') {
            program.environment.push_back(word);
        } else {
            program.argv.push_back(word);
        }
    }
    if (program.argv.empty()) {
        return std::nullopt;
    }
    return program;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue) {
            options.runs = std::atoi(argv[++i]);
        } else if (arg == "--settle-ms" && hasValue) {
            options.settleMs = std::atoi(argv[++i]);
        } else if (arg == "--timeout-ms" && hasValue) {
            options.timeoutMs = std::atoi(argv[++i]);
        } else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2) {
                return false;
            }
        } else if (arg == "--out" && hasValue) {
            options.out = argv[++i];
        } else if (arg == "--program" && i + 2 < argc) {
            auto program = ParseProgram(argv[i + 1], argv[i + 2]);
            if (!program) {
                return false;
            }
            options.programs.push_back(*program);
            i += 2;
        } else {
            return false;
        }
    }
    return options.runs > 0 && !options.out.empty() && !options.programs.empty();
}

// VmHWM and VmRSS of a running process, in kB; 0 when they cannot be read.
void ReadResidentSizes(pid_t pid, long& peakKb, long& residentKb) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            peakKb = std::atol(line.c_str() + 6);
        } else if (line.rfind("VmRSS:", 0) == 0) {
            residentKb = std::atol(line.c_str() + 6);
        }
    }
}

// The CPU time of a process's main thread so far, from /proc/PID/schedstat (nanoseconds).
double MainThreadCpuMs(pid_t pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = 0;
    schedstat >> ns;
    return ns / 1e6;
}

void EndProcess(pid_t pid) {
    kill(pid, SIGTERM);
    // The program saves its stores on SIGTERM; give it time, then stop waiting.
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

class Watcher {
public:
    explicit Watcher(Display* display) : display_(display) {
        int error = 0;
        damageAvailable_ = XDamageQueryExtension(display_, &damageEvent_, &error) != 0;
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
        XSync(display_, False);
    }

    bool DamageAvailable() const { return damageAvailable_; }

    Run Time(const Program& program, const Options& options) {
        Drain();
        damages_.clear();
        Run run;
        const Clock::time_point start = Clock::now();
        const pid_t pid = fork();
        if (pid < 0) {
            run.failure = "fork failed";
            return run;
        }
        if (pid == 0) {
            for (const std::string& assignment : program.environment) {
                putenv(strdup(assignment.c_str()));
            }
            std::vector<char*> args;
            for (const std::string& word : program.argv) {
                args.push_back(const_cast<char*>(word.c_str()));
            }
            args.push_back(nullptr);
            // For programs that time their own steps (startup_steps): the moment of the exec.
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const std::string execNs =
                "TALVORE_BENCH_EXEC_NS=" +
                std::to_string(static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            putenv(strdup(execNs.c_str()));
            execv(args[0], args.data());
            _exit(127);
        }

        Window target = 0;
        while (MsSince(start) < options.timeoutMs) {
            if (!WaitForEvent(50)) {
                int status = 0;
                if (waitpid(pid, &status, WNOHANG) == pid) {
                    run.failure = "the program ended before its window was drawn";
                    return run;
                }
                continue;
            }
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == CreateNotify) {
                // Watched from its creation, so no drawing after the map can be missed.
                const Window w = event.xcreatewindow.window;
                damages_[w] = XDamageCreate(display_, w, XDamageReportNonEmpty);
            } else if (event.type == MapNotify && target == 0) {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(display_, event.xmap.window, &attributes) != 0 &&
                    attributes.width == options.width && attributes.height == options.height) {
                    target = event.xmap.window;
                    run.mapMs = MsSince(start);
                }
            } else if (event.type == damageEvent_ + XDamageNotify) {
                const auto* damage = reinterpret_cast<XDamageNotifyEvent*>(&event);
                XDamageSubtract(display_, damage->damage, None, None);
                if (target != 0 && damage->drawable == target) {
                    run.paintMs = MsSince(start);
                    run.cpuMs = MainThreadCpuMs(pid);
                    run.ok = true;
                    break;
                }
            }
        }
        if (!run.ok) {
            run.failure =
                target == 0 ? "no window of the size appeared" : "the window stayed blank";
        } else {
            usleep(static_cast<useconds_t>(options.settleMs) * 1000);
            ReadResidentSizes(pid, run.peakKb, run.residentKb);
        }
        EndProcess(pid);
        return run;
    }

private:
    bool WaitForEvent(int timeoutMs) {
        if (XPending(display_) > 0) {
            return true;
        }
        pollfd fd{ConnectionNumber(display_), POLLIN, 0};
        poll(&fd, 1, timeoutMs);
        return XPending(display_) > 0;
    }

    void Drain() {
        XSync(display_, False);
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

    Display* display_;
    int damageEvent_ = 0;
    bool damageAvailable_ = false;
    std::map<Window, Damage> damages_;
};

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void WriteJson(const Options& options, const std::vector<std::vector<Run>>& runs) {
    std::ofstream out(options.out);
    out << "{\n  \"size\": \"" << options.width << "x" << options.height << "\",\n"
        << "  \"programs\": [\n";
    for (std::size_t p = 0; p < options.programs.size(); ++p) {
        std::vector<double> map, paint, cpu, peak;
        int failures = 0;
        std::string failure;
        for (const Run& run : runs[p]) {
            if (!run.ok) {
                ++failures;
                failure = run.failure;
                continue;
            }
            map.push_back(run.mapMs);
            paint.push_back(run.paintMs);
            cpu.push_back(run.cpuMs);
            peak.push_back(static_cast<double>(run.peakKb));
        }
        out << "    {\"name\": \"" << options.programs[p].name << "\", \"runs\": " << map.size()
            << ", \"failures\": " << failures << ", \"failure\": \"" << failure << "\""
            << ", \"median_map_ms\": " << Median(map) << ", \"median_paint_ms\": " << Median(paint)
            << ", \"median_cpu_ms\": " << Median(cpu) << ", \"median_peak_kb\": " << Median(peak)
            << ", \"paint_ms\": [";
        for (std::size_t i = 0; i < paint.size(); ++i) {
            out << (i > 0 ? ", " : "") << paint[i];
        }
        out << "]}" << (p + 1 < options.programs.size() ? "," : "") << "\n";
    }
    out << "  ]\n}\n";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s --runs N --size WxH --settle-ms MS --out FILE.json\n"
                     "       --program NAME \"[VAR=VALUE ...] PATH [ARG ...]\" ...\n",
                     argv[0]);
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display (DISPLAY=%s)\n", std::getenv("DISPLAY"));
        return 2;
    }
    XSetErrorHandler(IgnoreXError);
    Watcher watcher(display);
    if (!watcher.DamageAvailable()) {
        std::fprintf(stderr, "the X server has no DAMAGE extension\n");
        return 2;
    }
    std::vector<std::vector<Run>> runs(options.programs.size());
    // Round 0 warms the caches and is not counted.
    for (int round = 0; round <= options.runs; ++round) {
        for (std::size_t k = 0; k < options.programs.size(); ++k) {
            // A different program goes first in each round.
            const std::size_t p = (k + static_cast<std::size_t>(round)) % options.programs.size();
            const Run run = watcher.Time(options.programs[p], options);
            std::fprintf(stderr, "round %d %-14s %s map %7.1f ms, drawn %7.1f ms, peak %ld kB\n",
                         round, options.programs[p].name.c_str(),
                         run.ok ? "ok  " : run.failure.c_str(), run.mapMs, run.paintMs, run.peakKb);
            if (round > 0) {
                runs[p].push_back(run);
            }
        }
    }
    XCloseDisplay(display);
    WriteJson(options, runs);
    return 0;
}
