// The files of the source tree as the house rules see them: build trees (folders that hold a
// CMakeCache.txt) and hidden folders are left out. Paths are relative to the tree, with '/'.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct QuotedInclude {
    int line = 0;
    std::string target;  // as written between the quotes
};

// Every file below `root` whose name ends in one of `endings` or equals one of them, sorted.
std::vector<std::string> TreeFiles(const std::filesystem::path& root,
                                   const std::vector<std::string>& endings);

// C and C++ sources and headers.
std::vector<std::string> CodeFiles(const std::filesystem::path& root);

std::string ReadText(const std::filesystem::path& file);
int CountLines(const std::string& text);

// The #include "..." lines of a source; <...> includes are the system's.
std::vector<QuotedInclude> QuotedIncludes(const std::string& text);
