// The checks of the house rules over a source tree. Each returns one line per fault, empty when
// the tree keeps the rule.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/house/floor_table.h"

// Every quoted include of every source runs to the file's own unit or to one its row allows.
// A source in no unit of the table is a fault too: a new folder takes its row first.
std::vector<std::string> IncludesAgainstFloors(const FloorTable& table,
                                               const std::filesystem::path& root);

// Every target_link_libraries of a CMakeLists.txt that links one of our targets to another
// follows the same table. A target belongs to the unit of its first source (or of its folder).
std::vector<std::string> TargetLinksAgainstFloors(const FloorTable& table,
                                                  const std::filesystem::path& root);

// Sources, headers, scripts and CMake files outside tests/ longer than `maxLines`.
std::vector<std::string> ProgramFilesOver(int maxLines, const std::filesystem::path& root);
