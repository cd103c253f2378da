// Writes docs/performance.md from the results bench/run.sh collected in one run.
//
//   write_report RESULTS_FOLDER NOTES.md OUT.md
//
// RESULTS_FOLDER holds machine.txt ("name: value" lines), the Google Benchmark JSON files
// data_core.json, apply.json and ui_layout.json, startup.json (first_window), latency.json and
// latency-100.json (ui_latency_probe with 1 and 100 profiles stored), steps-*.json
// (startup_steps) and talvorectl_apply.txt (one wall time in ms per line). Every figure that
// depends on the machine is shown beside a baseline from the same run and as a ratio to it.
// NOTES.md is copied after the tables.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr double kStartupGoal = 1.5;
constexpr double kStartupGoal100Profiles = 2.0;
constexpr double kCableApplyGoal = 1.02;
constexpr double kTalvorectlApplyGoal = 1.05;
constexpr double kLatencyGoalMs = 16.0;

QJsonObject ReadJson(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).object();
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString Number(double value, int decimals = 1) {
    return QString::number(value, 'f', decimals);
}

QString Ratio(double value, double baseline) {
    return baseline > 0 ? QString::number(value / baseline, 'f', 2) + QStringLiteral(" ×")
                        : QStringLiteral("–");
}

QString Verdict(bool met) {
    return met ? QStringLiteral("met") : QStringLiteral("**not met**");
}

// A ratio against its goal, with how far it lies above the goal when it is not met.
QString Verdict(double ratio, double goal) {
    if (ratio <= goal) {
        return QStringLiteral("met (goal %1 ×)").arg(Number(goal, 2));
    }
    return QStringLiteral("**not met** (goal %1 ×; %2 % over it)")
        .arg(Number(goal, 2), Number((ratio / goal - 1) * 100, 0));
}

// The median aggregates of a Google Benchmark JSON file, by run name.
class BenchmarkMedians {
public:
    // Without repetitions there are no aggregates: the single run stands for the median.
    explicit BenchmarkMedians(const QJsonObject& file) {
        for (const QJsonValue& value : file.value(QStringLiteral("benchmarks")).toArray()) {
            const QJsonObject run = value.toObject();
            const QString name = run.value(QStringLiteral("run_name")).toString();
            const QString type = run.value(QStringLiteral("run_type")).toString();
            if (run.value(QStringLiteral("aggregate_name")).toString() == QLatin1String("median") ||
                (type == QLatin1String("iteration") && !runs_.contains(name))) {
                runs_.insert(name, run);
                if (!order_.contains(name)) {
                    order_.append(name);
                }
            }
        }
    }
    QStringList Names() const { return order_; }
    QString Label(const QString& name) const {
        return runs_.value(name).value(QStringLiteral("label")).toString();
    }
    bool Has(const QString& name) const { return runs_.contains(name); }
    // In milliseconds.
    double RealMs(const QString& name) const { return Ms(name, QStringLiteral("real_time")); }
    double CpuMs(const QString& name) const { return Ms(name, QStringLiteral("cpu_time")); }
    double Counter(const QString& name, const QString& counter) const {
        return runs_.value(name).value(counter).toDouble();
    }

private:
    double Ms(const QString& name, const QString& field) const {
        const QJsonObject run = runs_.value(name);
        const QString unit = run.value(QStringLiteral("time_unit")).toString();
        const double scale = unit == QLatin1String("ns")   ? 1e-6
                             : unit == QLatin1String("us") ? 1e-3
                             : unit == QLatin1String("s")  ? 1e3
                                                           : 1.0;
        return run.value(field).toDouble() * scale;
    }
    QHash<QString, QJsonObject> runs_;
    QStringList order_;
};

QString Duration(double ms) {
    if (ms >= 1000) {
        return Number(ms / 1000, 3) + QStringLiteral(" s");
    }
    if (ms >= 1) {
        return Number(ms, 2) + QStringLiteral(" ms");
    }
    if (ms >= 0.001) {
        return Number(ms * 1000, 2) + QStringLiteral(" µs");
    }
    return Number(ms * 1e6, 1) + QStringLiteral(" ns");
}

QString Profiles(int n) {
    return n == 1 ? QStringLiteral("1 profile") : QStringLiteral("%1 profiles").arg(n);
}

class Report {
public:
    explicit Report(QString folder) : dir_(std::move(folder)) {}

    QString Write(const QString& notes) {
        Line(QStringLiteral("# Performance"));
        Line();
        Line(QStringLiteral(
            "Written by `bench/run.sh`; every figure below comes from one run on the "
            "machine named here. Figures that depend on the machine are shown next "
            "to a baseline measured in the same run and as a ratio to it; times are "
            "medians."));
        Line();
        Machine();
        Startup();
        Memory();
        Apply();
        Latency();
        DataCore();
        UiLibrary();
        Steps();
        out_ += notes;
        return out_;
    }

private:
    void Line(const QString& text = {}) { out_ += text + QLatin1Char('\n'); }

    void Machine() {
        QFile file(dir_.filePath(QStringLiteral("machine.txt")));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return;
        }
        Line(QStringLiteral("| Machine | |"));
        Line(QStringLiteral("|---|---|"));
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine();
            const qsizetype colon = line.indexOf(QLatin1Char(':'));
            if (colon > 0) {
                Line(QStringLiteral("| %1 | %2 |")
                         .arg(line.left(colon).trimmed(), line.mid(colon + 1).trimmed()));
            }
        }
        Line();
    }

    QHash<QString, QJsonObject> StartupPrograms() const {
        QHash<QString, QJsonObject> programs;
        const QJsonObject startup = ReadJson(dir_.filePath(QStringLiteral("startup.json")));
        for (const QJsonValue& value : startup.value(QStringLiteral("programs")).toArray()) {
            programs.insert(value.toObject().value(QStringLiteral("name")).toString(),
                            value.toObject());
        }
        return programs;
    }

    void Startup() {
        const auto programs = StartupPrograms();
        if (!programs.contains(QStringLiteral("bare"))) {
            return;
        }
        const double bare =
            programs[QStringLiteral("bare")].value(QStringLiteral("median_paint_ms")).toDouble();
        const double bareCpu =
            programs[QStringLiteral("bare")].value(QStringLiteral("median_cpu_ms")).toDouble();
        Line(QStringLiteral("## Start-up"));
        Line();
        Line(
            QStringLiteral("Time from the exec to the first frame drawn in the 800 × 572 main "
                           "window (and, before it, to the window's map), under one Xvfb, the "
                           "programs started in turns. The baseline is a bare Qt Widgets window of "
                           "the same size (`bench/startup/bare_window.cpp`). Goal: 1.5 × the bare "
                           "window or less, 2 × with 100 profiles stored. Beside it, the CPU time the program's main thread had "
                           "used when that frame appeared, which depends less on the load of the "
                           "machine."));
        Line();
        Line(
            QStringLiteral("| Program | Runs | Mapped | First frame | Ratio to bare | Goal | "
                           "Main thread on CPU | CPU ratio to bare |"));
        Line(QStringLiteral("|---|---|---|---|---|---|---|---|"));
        const QList<QPair<QString, QString>> rows = {
            {QStringLiteral("bare"), QStringLiteral("bare Qt window (baseline)")},
            {QStringLiteral("demo"), QStringLiteral("`talvore-demo`")},
            {QStringLiteral("talvore"), QStringLiteral("`talvore`, simulated mouse present")},
            {QStringLiteral("demo-100"), QStringLiteral("`talvore-demo`, 100 profiles stored")}};
        for (const auto& [name, label] : rows) {
            if (!programs.contains(name)) {
                continue;
            }
            const QJsonObject p = programs[name];
            const double paint = p.value(QStringLiteral("median_paint_ms")).toDouble();
            const int failures = p.value(QStringLiteral("failures")).toInt();
            QString goal = QStringLiteral("–");
            if (name == QLatin1String("demo") || name == QLatin1String("talvore")) {
                goal = Verdict(paint / bare, kStartupGoal);
            } else if (name == QLatin1String("demo-100")) {
                goal = Verdict(paint / bare, kStartupGoal100Profiles);
            }
            QString runs = QString::number(p.value(QStringLiteral("runs")).toInt());
            if (failures > 0) {
                runs += QStringLiteral(" (%1 failed: %2)")
                            .arg(failures)
                            .arg(p.value(QStringLiteral("failure")).toString());
            }
            const double cpu = p.value(QStringLiteral("median_cpu_ms")).toDouble();
            Line(QStringLiteral("| %1 | %2 | %3 ms | %4 ms | %5 | %6 | %7 ms | %8 |")
                     .arg(label, runs, Number(p.value(QStringLiteral("median_map_ms")).toDouble()),
                          Number(paint), Ratio(paint, bare), goal, Number(cpu),
                          Ratio(cpu, bareCpu)));
        }
        Line();
    }

    void Memory() {
        const auto programs = StartupPrograms();
        if (!programs.contains(QStringLiteral("bare"))) {
            return;
        }
        const double bare =
            programs[QStringLiteral("bare")].value(QStringLiteral("median_peak_kb")).toDouble();
        Line(QStringLiteral("## Memory"));
        Line();
        Line(
            QStringLiteral("Peak resident size (VmHWM) one second after the first frame, median "
                           "of the same starts."));
        Line();
        Line(QStringLiteral("| Program | Peak resident | Ratio to bare |"));
        Line(QStringLiteral("|---|---|---|"));
        const QList<QPair<QString, QString>> rows = {
            {QStringLiteral("bare"), QStringLiteral("bare Qt window (baseline)")},
            {QStringLiteral("demo"), QStringLiteral("`talvore-demo` after start")},
            {QStringLiteral("demo-100"), QStringLiteral("`talvore-demo` with 100 profiles loaded")},
            {QStringLiteral("talvore"), QStringLiteral("`talvore` after start")}};
        for (const auto& [name, label] : rows) {
            if (!programs.contains(name)) {
                continue;
            }
            const double kb = programs[name].value(QStringLiteral("median_peak_kb")).toDouble();
            Line(QStringLiteral("| %1 | %2 MB | %3 |")
                     .arg(label, Number(kb / 1024), Ratio(kb, bare)));
        }
        Line();
    }

    void Apply() {
        const BenchmarkMedians apply(ReadJson(dir_.filePath(QStringLiteral("apply.json"))));
        Line(QStringLiteral("## Apply"));
        Line();
        Line(
            QStringLiteral("A full apply of the default profile (and of the default profile with a "
                           "four-action macro on button 5) through the apply pipeline and the send "
                           "engine in one process, to the simulated mouse, with the real waits and "
                           "the save of `pro.data`. The baseline is the sum of the waits the "
                           "protocol mandates for the transfers that were made. Goal for the "
                           "cable: 1.02 × or less; for `talvorectl apply` as a process, 1.05 × or "
                           "less."));
        Line();
        Line(QStringLiteral("| Link | Profile | Mandated waits | Wall time | Ratio | Goal |"));
        Line(QStringLiteral("|---|---|---|---|---|---|"));
        const char* links[] = {"cable", "receiver (acknowledged at once)", "Bluetooth"};
        for (int link = 0; link < 3; ++link) {
            for (int macro = 0; macro < 2; ++macro) {
                const QString name =
                    QStringLiteral("BM_FullApply/link:%1/macro:%2/iterations:1/manual_time")
                        .arg(link)
                        .arg(macro);
                if (!apply.Has(name)) {
                    continue;
                }
                const double mandated = apply.Counter(name, QStringLiteral("mandated_ms"));
                const double ratio = apply.Counter(name, QStringLiteral("wall_per_mandated"));
                Line(QStringLiteral("| %1 | %2 | %3 | %4 | %5 × | %6 |")
                         .arg(QString::fromLatin1(links[link]),
                              macro == 0 ? QStringLiteral("default")
                                         : QStringLiteral("default + macro"),
                              Duration(mandated), Duration(apply.RealMs(name)), Number(ratio, 3),
                              link == 0 ? Verdict(ratio, kCableApplyGoal) : QStringLiteral("–")));
            }
        }
        std::vector<double> process;
        QFile file(dir_.filePath(QStringLiteral("talvorectl_apply.txt")));
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            while (!file.atEnd()) {
                bool ok = false;
                const double ms = QString::fromUtf8(file.readLine()).trimmed().toDouble(&ok);
                if (ok) {
                    process.push_back(ms);
                }
            }
        }
        if (!process.empty()) {
            const double wall = Median(process);
            Line(QStringLiteral("| cable, `talvorectl apply` as a process (%1 runs) | default | "
                                "1.000 s | %2 | %3 × | %4 |")
                     .arg(process.size())
                     .arg(Duration(wall), Number(wall / 1000.0, 3),
                          Verdict(wall / 1000.0, kTalvorectlApplyGoal)));
        }
        Line();
    }

    void Latency() {
        const QJsonObject probe = ReadJson(dir_.filePath(QStringLiteral("latency.json")));
        if (probe.isEmpty()) {
            return;
        }
        Line(QStringLiteral("## UI thread"));
        Line();
        Line(
            QStringLiteral(
                "Event-loop latency of the program's UI thread (`bench/ui_latency_probe.cpp`): "
                "a probe thread posts a time-stamped call every 2 ms. Busy: for %1 s the worker "
                "resends a macro the mouse never acknowledges (the 30 s receiver retry) while a "
                "DPI slider is dragged with synthetic mouse events at 125 Hz and the mouse sends "
                "power and DPI-stage events (each DPI-stage change is saved to `pro.data`, on the "
                "UI thread). The baseline is the same probe on the idle program. Goal: under 16 ms "
                "at the 99th percentile.")
                .arg(probe.value(QStringLiteral("seconds")).toInt()));
        Line();
        Line(
            QStringLiteral("| Store | State | Samples | p50 | p99 | Max | Ratio of p99 to idle | "
                           "Goal |"));
        Line(QStringLiteral("|---|---|---|---|---|---|---|---|"));
        LatencyRows(QStringLiteral("1 profile"), probe);
        LatencyRows(QStringLiteral("100 profiles"),
                    ReadJson(dir_.filePath(QStringLiteral("latency-100.json"))));
        Line();
    }

    void LatencyRows(const QString& store, const QJsonObject& probe) {
        if (probe.isEmpty()) {
            return;
        }
        const QJsonObject idle = probe.value(QStringLiteral("idle")).toObject();
        const QJsonObject busy = probe.value(QStringLiteral("busy")).toObject();
        const double idleP99 = idle.value(QStringLiteral("p99_ms")).toDouble();
        const double busyP99 = busy.value(QStringLiteral("p99_ms")).toDouble();
        Line(QStringLiteral("| %1 | idle (baseline) | %2 | %3 ms | %4 ms | %5 ms | – | – |")
                 .arg(store)
                 .arg(idle.value(QStringLiteral("samples")).toInt())
                 .arg(Number(idle.value(QStringLiteral("p50_ms")).toDouble(), 2),
                      Number(idleP99, 2),
                      Number(idle.value(QStringLiteral("max_ms")).toDouble(), 2)));
        const bool busyWorker = probe.value(QStringLiteral("worker_busy_throughout")).toBool();
        const QString what =
            QStringLiteral(
                "worker in receiver retry, slider dragged (%1 moves, %2 value changes), "
                "%3 device events")
                .arg(probe.value(QStringLiteral("slider_moves")).toInt())
                .arg(probe.value(QStringLiteral("slider_value_changes")).toInt())
                .arg(probe.value(QStringLiteral("device_events")).toInt());
        Line(QStringLiteral("| %1 | %2 | %3 | %4 ms | %5 ms | %6 ms | %7 | %8 |")
                 .arg(store, what)
                 .arg(busy.value(QStringLiteral("samples")).toInt())
                 .arg(Number(busy.value(QStringLiteral("p50_ms")).toDouble(), 2),
                      Number(busyP99, 2),
                      Number(busy.value(QStringLiteral("max_ms")).toDouble(), 2),
                      Ratio(busyP99, idleP99),
                      busyWorker ? Verdict(busyP99 < kLatencyGoalMs)
                                 : QStringLiteral("**not measured: the worker was not busy**")));
    }

    void DataCore() {
        const BenchmarkMedians core(ReadJson(dir_.filePath(QStringLiteral("data_core.json"))));
        if (!core.Has(QStringLiteral("BM_MemcmpOfTwoRecords"))) {
            return;
        }
        const double memcmpMs = core.CpuMs(QStringLiteral("BM_MemcmpOfTwoRecords"));
        Line(QStringLiteral("## Data core"));
        Line();
        Line(
            QStringLiteral("`bench/data_core_bench.cpp`. Work in memory is CPU time against "
                           "`memcmp` of two whole 165,024-byte records; the stores are wall time "
                           "against a plain write or read of the same bytes in the same folder "
                           "(the save goes through a temporary file, `fdatasync` and a rename)."));
        Line();
        Line(QStringLiteral("| What | Time | Baseline | Baseline time | Ratio |"));
        Line(QStringLiteral("|---|---|---|---|---|"));
        const QString memcmpLabel = QStringLiteral("memcmp of two records");
        const QList<QPair<QString, QString>> memory = {
            {QStringLiteral("BM_DetectChangesOfEqualRecords/macros:0"),
             QStringLiteral("change comparison, default records")},
            {QStringLiteral("BM_DetectChangesOfEqualRecords/macros:1"),
             QStringLiteral("change comparison, 17 macros")},
            {QStringLiteral("BM_BuildFullApplyReports/macros:0"),
             QStringLiteral("every report of a full apply, default profile")},
            {QStringLiteral("BM_BuildFullApplyReports/macros:1"),
             QStringLiteral("every report of a full apply, 17 macros of 46 actions")},
            {QStringLiteral("BM_MacroCost"), QStringLiteral("macro cost, 46 actions")},
            {QStringLiteral("BM_BindMacroToButton"), QStringLiteral("bind a macro to a button")},
            {QStringLiteral("BM_ReconcileMacroEntries"),
             QStringLiteral("reconcile 17 macro entries with a store of 100")}};
        for (const auto& [name, label] : memory) {
            if (core.Has(name)) {
                const double ms = core.CpuMs(name);
                Line(QStringLiteral("| %1 | %2 | %3 | %4 | %5 |")
                         .arg(label, Duration(ms), memcmpLabel, Duration(memcmpMs),
                              Ratio(ms, memcmpMs)));
            }
        }
        for (const int n : {1, 10, 100}) {
            const QString save = QStringLiteral("BM_SaveProfiles/profiles:%1/real_time").arg(n);
            const QString write = QStringLiteral("BM_PlainWrite/profiles:%1/real_time").arg(n);
            if (core.Has(save) && core.Has(write)) {
                Line(QStringLiteral("| `SaveProfiles`, %1 | %2 | plain write | %3 | %4 |")
                         .arg(Profiles(n))
                         .arg(Duration(core.RealMs(save)), Duration(core.RealMs(write)),
                              Ratio(core.RealMs(save), core.RealMs(write))));
            }
        }
        for (const int n : {1, 10, 100}) {
            const QString load = QStringLiteral("BM_LoadProfiles/profiles:%1/real_time").arg(n);
            const QString read = QStringLiteral("BM_PlainRead/profiles:%1/real_time").arg(n);
            if (core.Has(load) && core.Has(read)) {
                Line(QStringLiteral("| loading `pro.data`, %1 | %2 | plain read | %3 | %4 |")
                         .arg(Profiles(n))
                         .arg(Duration(core.RealMs(load)), Duration(core.RealMs(read)),
                              Ratio(core.RealMs(load), core.RealMs(read))));
            }
        }
        const QString macros = QStringLiteral("BM_MacroStoreSaveAndLoad/real_time");
        const QString plain = QStringLiteral("BM_PlainWriteAndReadOfMacroBytes/real_time");
        if (core.Has(macros) && core.Has(plain)) {
            Line(QStringLiteral("| `macro.data` of 100 macros saved and loaded | %1 | plain write "
                                "and read | %2 | %3 |")
                     .arg(Duration(core.RealMs(macros)), Duration(core.RealMs(plain)),
                          Ratio(core.RealMs(macros), core.RealMs(plain))));
        }
        Line();
    }

    void UiLibrary() {
        const BenchmarkMedians ui(ReadJson(dir_.filePath(QStringLiteral("ui_layout.json"))));
        const QString floor = QStringLiteral("BM_LoadMainLayoutWithoutTheme");
        if (!ui.Has(floor)) {
            return;
        }
        const double floorMs = ui.CpuMs(floor);
        Line(QStringLiteral("## UI library"));
        Line();
        Line(
            QStringLiteral("`bench/ui_layout_bench.cpp`, offscreen, CPU time. The baseline is "
                           "`main.xml` built with no style sheet in force."));
        Line();
        Line(QStringLiteral("| What | CPU time | Ratio to the bare layout |"));
        Line(QStringLiteral("|---|---|---|"));
        for (const QString& name : ui.Names()) {
            const QString label = ui.Label(name);
            const double ms = ui.CpuMs(name);
            Line(QStringLiteral("| %1 | %2 | %3 |")
                     .arg(label.isEmpty() ? QStringLiteral("`%1`").arg(name) : label, Duration(ms),
                          Ratio(ms, floorMs)));
        }
        Line();
    }

    void Steps() {
        // Step name -> wall and CPU times of every run, in the order the steps first appear.
        QStringList order;
        QMap<QString, std::vector<double>> wall;
        QMap<QString, std::vector<double>> cpu;
        const QStringList files =
            QDir(dir_).entryList({QStringLiteral("steps-*.json")}, QDir::Files, QDir::Name);
        for (const QString& name : files) {
            const QJsonObject run = ReadJson(dir_.filePath(name));
            for (const QJsonValue& value : run.value(QStringLiteral("steps")).toArray()) {
                const QJsonObject step = value.toObject();
                const QString label = step.value(QStringLiteral("step")).toString();
                if (!order.contains(label)) {
                    order.append(label);
                }
                wall[label].push_back(step.value(QStringLiteral("ms")).toDouble());
                cpu[label].push_back(step.value(QStringLiteral("cpu_ms")).toDouble());
            }
        }
        if (order.isEmpty()) {
            return;
        }
        double wallTotal = 0;
        double cpuTotal = 0;
        for (const QString& step : order) {
            wallTotal += Median(wall[step]);
            cpuTotal += Median(cpu[step]);
        }
        Line(QStringLiteral("## Where the start-up time goes"));
        Line();
        Line(QStringLiteral("`bench/startup/startup_steps.cpp` runs `talvore-demo`'s start-up in "
                            "the program's order and notes the wall time and the UI thread's CPU "
                            "time of each step; medians of %1 runs under the same Xvfb. Totals are "
                            "the sums of the medians; the share is of the CPU total.")
                 .arg(files.size()));
        Line();
        Line(QStringLiteral("| Step | Wall time | CPU time | Share of CPU |"));
        Line(QStringLiteral("|---|---|---|---|"));
        for (const QString& step : order) {
            const double ms = Median(cpu[step]);
            Line(QStringLiteral("| %1 | %2 ms | %3 ms | %4 % |")
                     .arg(step, Number(Median(wall[step])), Number(ms),
                          cpuTotal > 0 ? Number(100 * ms / cpuTotal, 0) : QString()));
        }
        Line(
            QStringLiteral("| total | %1 ms | %2 ms | |").arg(Number(wallTotal), Number(cpuTotal)));
        Line();
    }

    QDir dir_;
    QString out_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RESULTS_FOLDER NOTES.md OUT.md\n", argv[0]);
        return 1;
    }
    QFile notesFile(QString::fromLocal8Bit(argv[2]));
    QString notes;
    if (notesFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        notes = QString::fromUtf8(notesFile.readAll());
    }
    const QString text = Report(QString::fromLocal8Bit(argv[1])).Write(notes);
    QFile out(QString::fromLocal8Bit(argv[3]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
        out.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "%s could not be written\n", argv[3]);
        return 2;
    }
    return 0;
}
