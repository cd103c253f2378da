// What the Wayland tests share: the compositor (headless_compositor.h), the private session bus
// the whole run uses, and the program started as a process on that compositor.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <optional>

class PrivateBus;

// The session bus of this process and of every program a test starts.
PrivateBus& TestSessionBus();

// The window of process `pid` titled `title`, once the compositor shows it (at most 20 s).
std::optional<QJsonObject> WaitForWindow(qint64 pid, const QString& title);
// Whether the compositor gave that window the keyboard focus within 20 s.
bool WaitForFocus(qint64 pid, const QString& title);

// A program folder of its own with the build's talvore (no mouse) or talvore-demo (the simulated
// mouse), started natively on the test compositor. Its error stream is gathered while the test
// waits (the waits run the test's event loop, so stand-ins on the bus keep answering).
class ProgramProcess {
public:
    enum class Kind { Program, Demo };
    explicit ProgramProcess(Kind kind);
    ~ProgramProcess();

    bool Ready() const { return ready_; }
    QProcessEnvironment& Environment() { return env_; }
    // Starts it; false when it did not start.
    bool Start(const QStringList& arguments = {});
    // Runs the event loop until the error stream holds `line` (at most 20 s).
    bool WaitForLine(const QByteArray& line);
    // Takes what the program has written so far into Log().
    void ReadOutput() { log_ += process_.readAllStandardError(); }
    qint64 Pid() const { return process_.processId(); }
    QProcess& Process() { return process_; }
    QByteArray Log() const { return log_; }

private:
    QTemporaryDir folder_;
    QString executable_;
    QProcessEnvironment env_;
    QProcess process_;
    QByteArray log_;
    bool ready_ = false;
};
