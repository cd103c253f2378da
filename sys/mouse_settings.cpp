#include "sys/mouse_settings.h"

#include <QProcess>
#include <QStandardPaths>

const std::vector<MouseSettingsCommand>& MouseSettingsCandidates() {
    static const std::vector<MouseSettingsCommand> candidates = {
        {QStringLiteral("gnome-control-center"), {QStringLiteral("mouse")}},
        {QStringLiteral("systemsettings"), {QStringLiteral("kcm_mouse")}},
        {QStringLiteral("xfce4-mouse-settings"), {}},
        {QStringLiteral("lxqt-config-input"), {}},
        {QStringLiteral("mate-mouse-properties"), {}},
        {QStringLiteral("cinnamon-settings"), {QStringLiteral("mouse")}},
    };
    return candidates;
}

std::optional<MouseSettingsCommand> FindMouseSettingsCommand(const QStringList& searchPaths) {
    for (const MouseSettingsCommand& candidate : MouseSettingsCandidates()) {
        const QString path = QStandardPaths::findExecutable(candidate.program, searchPaths);
        if (!path.isEmpty()) {
            return MouseSettingsCommand{path, candidate.arguments};
        }
    }
    return std::nullopt;
}

bool OpenMouseSettings(const QStringList& searchPaths) {
    const std::optional<MouseSettingsCommand> command = FindMouseSettingsCommand(searchPaths);
    if (!command) {
        return false;
    }
    return QProcess::startDetached(command->program, command->arguments);
}
