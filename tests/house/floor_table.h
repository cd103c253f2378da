// The floors of the source tree as docs/architecture.md declares them: every unit (a folder, or
// one file stem inside a folder) stands on a floor and names the units its files may include.
#pragma once

#include <string>
#include <vector>

// The floor of the tools and tests, which may include anything and on which nothing builds.
inline constexpr int kTopFloor = 1000;

struct FloorUnit {
    std::string name;  // "macro/editor/" (a folder) or "page/profile_store" (a file stem)
    int floor = 0;
    bool mayIncludeAnything = false;
    std::vector<std::string> mayInclude;
};

struct FloorTable {
    std::vector<FloorUnit> units;
    std::vector<std::string> problems;  // rows the table itself gets wrong

    const FloorUnit* Find(const std::string& name) const;
    // The unit of a file given relative to the tree: the unit of its own stem, else of the
    // nearest folder that is a unit; null when the table has none.
    const FloorUnit* UnitOf(const std::string& path) const;
    bool MayInclude(const FloorUnit& from, const FloorUnit& to) const;
};

// Reads the first table of a Markdown text whose header has the columns "Floor", "Unit" and "May
// include". A floor is a number or "top"; a unit and what it may include are written as code
// spans; "anything" is allowed on the top floor only. Every unit a row may include must stand on a
// lower floor, so the table cannot point up or round in a circle.
FloorTable ReadFloorTable(const std::string& markdown);
