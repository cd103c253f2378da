#include "tests/house/source_tree.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool LeftOut(const fs::path& folder) {
    const std::string name = folder.filename().string();
    return (!name.empty() && name.front() == '.') || fs::exists(folder / "CMakeCache.txt");
}

// An ending that starts with '/' is a whole file name.
bool Matches(const std::string& fileName, const std::vector<std::string>& endings) {
    const std::string name = "/" + fileName;
    return std::any_of(endings.begin(), endings.end(), [&](const std::string& ending) {
        return name.size() >= ending.size() &&
               name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
    });
}

}  // namespace

std::vector<std::string> TreeFiles(const fs::path& root, const std::vector<std::string>& endings) {
    std::vector<std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        if (it->is_directory() && LeftOut(it->path())) {
            it.disable_recursion_pending();
        } else if (it->is_regular_file() && Matches(it->path().filename().string(), endings)) {
            files.push_back(it->path().lexically_relative(root).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> CodeFiles(const fs::path& root) {
    return TreeFiles(root, {".h", ".hpp", ".c", ".cpp"});
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int CountLines(const std::string& text) {
    const auto newlines = std::count(text.begin(), text.end(), '\n');
    return static_cast<int>(newlines) + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

std::vector<QuotedInclude> QuotedIncludes(const std::string& text) {
    std::vector<QuotedInclude> includes;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line[at] != '#') {
            continue;
        }
        at = line.find_first_not_of(" \t", at + 1);
        if (at == std::string::npos || line.compare(at, 7, "include") != 0) {
            continue;
        }
        const std::size_t open = line.find_first_not_of(" \t", at + 7);
        if (open == std::string::npos || line[open] != '"') {
            continue;
        }
        const std::size_t close = line.find('"', open + 1);
        if (close != std::string::npos) {
            includes.push_back({number, line.substr(open + 1, close - open - 1)});
        }
    }
    return includes;
}
