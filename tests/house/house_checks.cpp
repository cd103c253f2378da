#include "tests/house/house_checks.h"

#include <cctype>
#include <map>
#include <set>

#include "tests/house/source_tree.h"

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Described(const FloorUnit& unit) {
    return unit.name + " (floor " +
           (unit.floor == kTopFloor ? std::string("top") : std::to_string(unit.floor)) + ")";
}

// One command of a CMake file: its name in lower case and its arguments.
struct CMakeCommand {
    std::string name;
    std::vector<std::string> args;
};

// Splits a CMake file into commands. Enough of the language for add_library, add_executable,
// set and target_link_libraries: comments, quoted arguments and nested parentheses.
std::vector<CMakeCommand> ParseCMake(const std::string& text) {
    std::vector<CMakeCommand> commands;
    std::size_t i = 0;
    const auto skipBlankAndComments = [&] {
        while (i < text.size()) {
            if (std::isspace(static_cast<unsigned char>(text[i]))) {
                ++i;
            } else if (text[i] == '#') {
                i = text.find('\n', i);
                i = i == std::string::npos ? text.size() : i;
            } else {
                break;
            }
        }
    };
    while (true) {
        skipBlankAndComments();
        std::size_t start = i;
        while (i < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) {
            ++i;
        }
        if (i == start) {
            break;
        }
        CMakeCommand command;
        for (std::size_t k = start; k < i; ++k) {
            command.name += static_cast<char>(std::tolower(static_cast<unsigned char>(text[k])));
        }
        skipBlankAndComments();
        if (i >= text.size() || text[i] != '(') {
            break;
        }
        ++i;
        int depth = 1;
        std::string arg;
        const auto endArg = [&] {
            if (!arg.empty()) {
                command.args.push_back(arg);
                arg.clear();
            }
        };
        while (i < text.size() && depth > 0) {
            const char c = text[i];
            if (c == '"') {
                const std::size_t close = text.find('"', i + 1);
                arg += text.substr(i + 1, close - i - 1);
                i = close == std::string::npos ? text.size() : close + 1;
                continue;
            }
            if (c == '#' && arg.empty()) {
                skipBlankAndComments();
                continue;
            }
            if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                endArg();
                ++i;
                break;
            }
            if (std::isspace(static_cast<unsigned char>(c))) {
                endArg();
            } else {
                arg += c;
            }
            ++i;
        }
        commands.push_back(std::move(command));
    }
    return commands;
}

const std::set<std::string> kTargetKeywords = {
    "STATIC",   "SHARED", "MODULE", "OBJECT", "INTERFACE", "EXCLUDE_FROM_ALL",
    "IMPORTED", "GLOBAL", "ALIAS",  "PUBLIC", "PRIVATE",   "WIN32"};

struct Target {
    std::string cmakeFile;
    std::string firstSource;  // relative to the tree; empty when it has none of its own
    std::string objectsOf;    // a target whose objects it is built from
};

struct Link {
    std::string cmakeFile;
    std::string from;
    std::string to;
};

}  // namespace

std::vector<std::string> IncludesAgainstFloors(const FloorTable& table, const fs::path& root) {
    std::vector<std::string> faults;
    for (const std::string& file : CodeFiles(root)) {
        const FloorUnit* from = table.UnitOf(file);
        if (from == nullptr) {
            faults.push_back(file + ": in no unit of the floor table");
            continue;
        }
        for (const QuotedInclude& include : QuotedIncludes(ReadText(root / file))) {
            const bool fromRoot = include.target.find('/') != std::string::npos;
            const std::string target = fromRoot ? include.target : FolderOf(file) + include.target;
            const FloorUnit* to = table.UnitOf(target);
            if (to == nullptr) {
                continue;  // not ours (a generated file, or a library's header in quotes)
            }
            if (!table.MayInclude(*from, *to)) {
                faults.push_back(file + ":" + std::to_string(include.line) + ": includes " +
                                 include.target + ", but " + Described(*from) +
                                 " may not include " + Described(*to));
            }
        }
    }
    return faults;
}

std::vector<std::string> TargetLinksAgainstFloors(const FloorTable& table, const fs::path& root) {
    std::map<std::string, Target> targets;
    std::vector<Link> links;
    for (const std::string& cmakeFile : TreeFiles(root, {"/CMakeLists.txt"})) {
        const std::string folder = FolderOf(cmakeFile);
        std::map<std::string, std::vector<std::string>> variables;
        const auto expanded = [&](const std::string& arg) {
            const auto it = arg.size() > 3 && arg.compare(0, 2, "${") == 0 && arg.back() == '}'
                                ? variables.find(arg.substr(2, arg.size() - 3))
                                : variables.end();
            return it != variables.end() ? it->second : std::vector<std::string>{arg};
        };
        for (const CMakeCommand& command : ParseCMake(ReadText(root / cmakeFile))) {
            if (command.args.empty() || command.args[0].find("${") != std::string::npos) {
                continue;  // a target a function names: it is checked where it is defined
            }
            if (command.name == "set") {
                variables[command.args[0]].assign(command.args.begin() + 1, command.args.end());
            } else if (command.name == "add_library" || command.name == "add_executable") {
                Target& target = targets[command.args[0]];
                target.cmakeFile = cmakeFile;
                for (std::size_t k = 1; k < command.args.size(); ++k) {
                    std::string source = command.args[k];
                    if (kTargetKeywords.count(source) != 0) {
                        continue;
                    }
                    const std::string objects = "$<TARGET_OBJECTS:";
                    if (source.compare(0, objects.size(), objects) == 0) {
                        target.objectsOf =
                            source.substr(objects.size(), source.size() - objects.size() - 1);
                    } else if (source.compare(0, 21, "${PROJECT_SOURCE_DIR}") == 0) {
                        target.firstSource = source.substr(22);
                    } else if (source.compare(0, 28, "${CMAKE_CURRENT_SOURCE_DIR}") == 0) {
                        target.firstSource = folder + source.substr(29);
                    } else {
                        target.firstSource = folder + source;
                    }
                    break;
                }
            } else if (command.name == "target_link_libraries") {
                for (std::size_t k = 1; k < command.args.size(); ++k) {
                    for (const std::string& library : expanded(command.args[k])) {
                        links.push_back({cmakeFile, command.args[0], library});
                    }
                }
            }
        }
    }
    const auto unitOf = [&](const std::string& name) -> const FloorUnit* {
        auto it = targets.find(name);
        if (it != targets.end() && !it->second.objectsOf.empty()) {
            it = targets.find(it->second.objectsOf);
        }
        if (it == targets.end()) {
            return nullptr;  // not ours: Qt, hidapi, GoogleTest...
        }
        const Target& target = it->second;
        return table.UnitOf(!target.firstSource.empty()
                                ? target.firstSource
                                : FolderOf(target.cmakeFile) + "CMakeLists.txt");
    };
    std::vector<std::string> faults;
    for (const Link& link : links) {
        const FloorUnit* from = unitOf(link.from);
        const FloorUnit* to = unitOf(link.to);
        if (from != nullptr && to != nullptr && !table.MayInclude(*from, *to)) {
            faults.push_back(link.cmakeFile + ": " + link.from + " links " + link.to + ", but " +
                             Described(*from) + " may not include " + Described(*to));
        }
    }
    return faults;
}

std::vector<std::string> ProgramFilesOver(int maxLines, const fs::path& root) {
    std::vector<std::string> faults;
    for (const std::string& file :
         TreeFiles(root, {".h", ".hpp", ".c", ".cpp", ".sh", ".cmake", "/CMakeLists.txt"})) {
        if (file.compare(0, 6, "tests/") == 0) {
            continue;
        }
        const int lines = CountLines(ReadText(root / file));
        if (lines > maxLines) {
            faults.push_back(file + ": " + std::to_string(lines) + " lines");
        }
    }
    return faults;
}
