#include "tests/wayland/virtual_input.h"

#include <QDeadlineTimer>

namespace {
constexpr int kAnswerMs = 10000;
}  // namespace

VirtualInput::VirtualInput(const QProcessEnvironment& environment) {
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(TALVORE_VIRTUAL_INPUT), {});
    if (!process_.waitForStarted(kAnswerMs)) {
        problem_ = QStringLiteral("talvore_virtual_input did not start: ") + process_.errorString();
        return;
    }
    QDeadlineTimer deadline(kAnswerMs);
    while (!process_.canReadLine() && !deadline.hasExpired() &&
           process_.state() == QProcess::Running) {
        process_.waitForReadyRead(100);
    }
    const QByteArray first = process_.readLine().trimmed();
    ready_ = first == "ready";
    if (!ready_) {
        problem_ = QStringLiteral("talvore_virtual_input: ") +
                   QString::fromLocal8Bit(process_.readAllStandardError()).trimmed();
    }
}

VirtualInput::~VirtualInput() {
    if (process_.state() == QProcess::Running) {
        process_.write("quit\n");
        if (!process_.waitForFinished(kAnswerMs)) {
            process_.kill();
            process_.waitForFinished(kAnswerMs);
        }
    }
}

bool VirtualInput::Send(const QString& command, QString* answer) {
    if (!Running()) {
        return false;
    }
    problem_.clear();
    process_.write(command.toUtf8() + '\n');
    QDeadlineTimer deadline(kAnswerMs);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        if (!process_.canReadLine()) {
            process_.waitForReadyRead(100);
            continue;
        }
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        if (line == QLatin1String("ok")) {
            return true;
        }
        if (line.startsWith(QLatin1String("error:"))) {
            problem_ = command + QStringLiteral(": ") + line;
            return false;
        }
        if (answer != nullptr) {
            *answer = line;  // a line of data before the "ok"
        }
    }
    problem_ = command + QStringLiteral(": no answer");
    return false;
}

bool VirtualInput::Key(const QString& nameOrCode) {
    return Send(QStringLiteral("key ") + nameOrCode);
}

bool VirtualInput::Down(const QString& nameOrCode) {
    return Send(QStringLiteral("down ") + nameOrCode);
}

bool VirtualInput::Up(const QString& nameOrCode) {
    return Send(QStringLiteral("up ") + nameOrCode);
}

bool VirtualInput::Type(const QString& text) {
    return Send(QStringLiteral("type ") + text);
}

bool VirtualInput::MoveTo(int x, int y) {
    return Send(QStringLiteral("move %1 %2 %3 %4").arg(x).arg(y).arg(1280).arg(800));
}

bool VirtualInput::Button(const QString& which, const QString& action) {
    return Send(QStringLiteral("button %1 %2").arg(which, action));
}

QString VirtualInput::Token() {
    QString answer;
    if (!Send(QStringLiteral("token"), &answer) || !answer.startsWith(QLatin1String("token "))) {
        return {};
    }
    return answer.mid(6);
}
