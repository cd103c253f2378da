#include "tests/wayland/headless_compositor.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

#include "tests/wayland/virtual_input.h"

namespace {

constexpr int kStartMs = 15000;
constexpr uid_t kNobody = 65534;

// No Xwayland: every client here is native. Activation requests with a valid token focus the
// window, as GNOME and KDE do (sway's own default only marks it urgent). The program's windows
// float, as on a stacking desktop, so they can be moved.
constexpr char kConfig[] = R"(output HEADLESS-1 resolution 1280x800 position 0,0 scale 1
xwayland disable
focus_on_window_activation focus
default_border none
default_floating_border none
for_window [app_id="org.talvore.Talvore"] floating enable
for_window [app_id="cover"] floating enable
)";

}  // namespace

HeadlessCompositor::HeadlessCompositor() {
    const QString sway = QStandardPaths::findExecutable(QStringLiteral("sway"));
    if (sway.isEmpty()) {
        problem_ = QStringLiteral("sway is not installed");
        return;
    }
    if (!runtime_.isValid() || !clientRuntime_.isValid()) {
        problem_ = QStringLiteral("no room for a runtime folder");
        return;
    }
    QFile config(runtime_.filePath(QStringLiteral("config")));
    if (!config.open(QIODevice::WriteOnly) || config.write(kConfig) < 0) {
        problem_ = QStringLiteral("cannot write the compositor's configuration");
        return;
    }
    config.close();
    QStringList command{sway, QStringLiteral("-c"), config.fileName()};
    if (::geteuid() == 0) {
        // The folder becomes the unprivileged user's, closed to others, as a runtime folder is.
        const QByteArray folder = QFile::encodeName(runtime_.path());
        if (::chown(folder.constData(), kNobody, kNobody) != 0 ||
            ::chown(QFile::encodeName(config.fileName()).constData(), kNobody, kNobody) != 0 ||
            !UnprivilegedCanPass(runtime_.path())) {
            problem_ = QStringLiteral("sway does not run as root, and user 65534 cannot reach ") +
                       runtime_.path();
            return;
        }
        command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                              QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")} +
                  command;
    }
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    env.insert(QStringLiteral("HOME"), runtime_.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    sway_.setProcessEnvironment(env);
    sway_.setProcessChannelMode(QProcess::MergedChannels);
    sway_.start(command.takeFirst(), command);
    if (!sway_.waitForStarted(kStartMs)) {
        problem_ = QStringLiteral("sway did not start: ") + sway_.errorString();
        return;
    }
    QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired() && sway_.state() == QProcess::Running) {
        const QDir dir(runtime_.path());
        const QStringList sockets = dir.entryList({QStringLiteral("wayland-*")}, QDir::System);
        const QStringList ipc = dir.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
        for (const QString& name : sockets) {
            if (!name.endsWith(QLatin1String(".lock"))) {
                socket_ = dir.filePath(name);
            }
        }
        if (!socket_.isEmpty() && !ipc.isEmpty()) {
            ipcSocket_ = dir.filePath(ipc.constFirst());
            break;
        }
        sway_.waitForReadyRead(100);
    }
    if (ipcSocket_.isEmpty() || Tree().isEmpty()) {
        problem_ = QStringLiteral("sway did not come up: ") +
                   QString::fromLocal8Bit(sway_.readAll()).right(600);
        socket_.clear();
    }
}

bool HeadlessCompositor::UnprivilegedCanPass(const QString& folder) {
    // Every folder above must let others through (mode o+x), or user 65534 cannot get in.
    for (QString path = QFileInfo(folder).absolutePath(); path != QLatin1String("/");
         path = QFileInfo(path).absolutePath()) {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0 ||
            (info.st_mode & S_IXOTH) == 0) {
            return false;
        }
    }
    return true;
}

HeadlessCompositor::~HeadlessCompositor() {
    input_.reset();
    if (sway_.state() != QProcess::NotRunning) {
        sway_.terminate();
        if (!sway_.waitForFinished(5000)) {
            sway_.kill();
            sway_.waitForFinished(5000);
        }
    }
}

QProcessEnvironment HeadlessCompositor::ClientEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("XDG_SESSION_TYPE"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), socket_);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), clientRuntime_.path());
    env.insert(QStringLiteral("SWAYSOCK"), ipcSocket_);
    return env;
}

QJsonObject HeadlessCompositor::Tree() const {
    if (ipcSocket_.isEmpty()) {
        return {};
    }
    QProcess swaymsg;
    swaymsg.start(QStringLiteral("swaymsg"),
                  {QStringLiteral("-s"), ipcSocket_, QStringLiteral("-r"), QStringLiteral("-t"),
                   QStringLiteral("get_tree")});
    if (!swaymsg.waitForFinished(kStartMs) || swaymsg.exitCode() != 0) {
        return {};
    }
    return QJsonDocument::fromJson(swaymsg.readAllStandardOutput()).object();
}

bool HeadlessCompositor::Command(const QString& command) const {
    QProcess swaymsg;
    swaymsg.start(QStringLiteral("swaymsg"), {QStringLiteral("-s"), ipcSocket_, command});
    return swaymsg.waitForFinished(kStartMs) && swaymsg.exitCode() == 0;
}

namespace {
std::optional<QJsonObject> Search(const QJsonObject& node,
                                  const std::function<bool(const QJsonObject&)>& match) {
    if (node.contains(QStringLiteral("pid")) && match(node)) {
        return node;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray()) {
            if (auto found = Search(child.toObject(), match)) {
                return found;
            }
        }
    }
    return std::nullopt;
}
}  // namespace

std::optional<QJsonObject> HeadlessCompositor::FindWindow(
    const std::function<bool(const QJsonObject&)>& match) const {
    return Search(Tree(), match);
}

std::optional<QJsonObject> HeadlessCompositor::FocusedWindow() const {
    return FindWindow(
        [](const QJsonObject& w) { return w.value(QStringLiteral("focused")).toBool(); });
}

QRect HeadlessCompositor::ContentRect(const QJsonObject& window) {
    const QJsonObject rect = window.value(QStringLiteral("rect")).toObject();
    const QJsonObject content = window.value(QStringLiteral("window_rect")).toObject();
    return QRect(
        rect.value(QStringLiteral("x")).toInt() + content.value(QStringLiteral("x")).toInt(),
        rect.value(QStringLiteral("y")).toInt() + content.value(QStringLiteral("y")).toInt(),
        content.value(QStringLiteral("width")).toInt(),
        content.value(QStringLiteral("height")).toInt());
}

VirtualInput* HeadlessCompositor::Input() {
    if (!input_ && Running() && inputProblem_.isEmpty()) {
        input_ = std::make_unique<VirtualInput>(ClientEnvironment());
        if (!input_->Running()) {
            inputProblem_ = input_->Problem();
            input_.reset();
        }
    }
    return input_.get();
}
