// Our keyboard and pointer on a Wayland compositor: talvore_virtual_input (virtual_input.c) as a
// child process, one command at a time, each confirmed once the compositor has taken it.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

class VirtualInput {
public:
    // Starts the client; Problem() says why when it did not come up.
    explicit VirtualInput(const QProcessEnvironment& environment);
    ~VirtualInput();

    bool Running() const { return ready_; }
    // Why it did not come up, or why the last command failed.
    QString Problem() const { return problem_; }

    // Each returns false (and says why in Problem()) when the command failed; a failed command
    // (an unknown key, say) leaves the client running for the next one.
    bool Key(const QString& nameOrCode);
    bool Down(const QString& nameOrCode);
    bool Up(const QString& nameOrCode);
    bool Type(const QString& text);
    bool MoveTo(int x, int y);
    // `which`: left, right, middle; `action`: down, up, click.
    bool Button(const QString& which, const QString& action);
    // An activation token from the compositor, as a launcher gets one; empty on failure.
    QString Token();

private:
    bool Send(const QString& command, QString* answer = nullptr);

    QProcess process_;
    QString problem_;
    bool ready_ = false;
};
