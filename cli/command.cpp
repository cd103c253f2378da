#include "cli/command.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<CommandInfo>& Commands() {
    static std::vector<CommandInfo> commands;
    return commands;
}

}  // namespace

CommandRegistrar::CommandRegistrar(const CommandInfo& info) {
    Commands().push_back(info);
}

const CommandInfo* FindCommand(const QString& name) {
    const auto& commands = Commands();
    auto it = std::find_if(commands.begin(), commands.end(),
                           [&](const CommandInfo& c) { return name == QLatin1String(c.name); });
    return it == commands.end() ? nullptr : &*it;
}

std::vector<CommandInfo> AllCommands() {
    auto commands = Commands();
    std::sort(commands.begin(), commands.end(), [](const CommandInfo& a, const CommandInfo& b) {
        return QLatin1String(a.name) < QLatin1String(b.name);
    });
    return commands;
}

void PrintLine(std::FILE* stream, const QString& line) {
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stream);
    std::fputc('\n', stream);
}
