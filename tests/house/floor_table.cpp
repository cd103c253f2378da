#include "tests/house/floor_table.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The cells of a table row "| a | b |".
std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::string rest = Trimmed(line);
    if (rest.size() < 2 || rest.front() != '|' || rest.back() != '|') {
        return cells;
    }
    rest = rest.substr(1, rest.size() - 2);
    std::size_t start = 0;
    for (std::size_t bar = rest.find('|');; bar = rest.find('|', start)) {
        cells.push_back(Trimmed(rest.substr(start, bar == std::string::npos ? bar : bar - start)));
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }
    return cells;
}

std::vector<std::string> CodeSpans(const std::string& cell) {
    std::vector<std::string> spans;
    for (std::size_t open = cell.find('`'); open != std::string::npos;) {
        const std::size_t close = cell.find('`', open + 1);
        if (close == std::string::npos) {
            break;
        }
        spans.push_back(cell.substr(open + 1, close - open - 1));
        open = cell.find('`', close + 1);
    }
    return spans;
}

int ColumnOf(const std::vector<std::string>& header, const std::string& name) {
    const auto it = std::find(header.begin(), header.end(), name);
    return it == header.end() ? -1 : static_cast<int>(it - header.begin());
}

bool ReadFloor(const std::string& cell, int& floor) {
    if (cell == "top") {
        floor = kTopFloor;
        return true;
    }
    const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), floor);
    return error == std::errc() && end == cell.data() + cell.size() && floor >= 0 &&
           floor < kTopFloor;
}

void CheckPointsDown(FloorTable& table) {
    for (const FloorUnit& unit : table.units) {
        if (unit.mayIncludeAnything && unit.floor != kTopFloor) {
            table.problems.push_back(unit.name +
                                     " may include anything but is not on the top floor");
        }
        for (const std::string& name : unit.mayInclude) {
            const FloorUnit* lower = table.Find(name);
            if (lower == nullptr) {
                table.problems.push_back(unit.name + " may include " + name +
                                         ", which is no unit of the table");
            } else if (lower->floor >= unit.floor) {
                table.problems.push_back(unit.name + " (floor " + std::to_string(unit.floor) +
                                         ") may include " + name + " (floor " +
                                         std::to_string(lower->floor) + "), which is not below it");
            }
        }
    }
}

}  // namespace

const FloorUnit* FloorTable::Find(const std::string& name) const {
    for (const FloorUnit& unit : units) {
        if (unit.name == name) {
            return &unit;
        }
    }
    return nullptr;
}

const FloorUnit* FloorTable::UnitOf(const std::string& path) const {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? path.substr(0, dot)
                                 : path;
    if (const FloorUnit* own = Find(stem); own != nullptr) {
        return own;
    }
    const FloorUnit* nearest = nullptr;
    for (const FloorUnit& unit : units) {
        const bool folder = !unit.name.empty() && unit.name.back() == '/';
        if (folder && path.compare(0, unit.name.size(), unit.name) == 0 &&
            (nearest == nullptr || unit.name.size() > nearest->name.size())) {
            nearest = &unit;
        }
    }
    return nearest;
}

bool FloorTable::MayInclude(const FloorUnit& from, const FloorUnit& to) const {
    return &from == &to || from.mayIncludeAnything ||
           std::find(from.mayInclude.begin(), from.mayInclude.end(), to.name) !=
               from.mayInclude.end();
}

FloorTable ReadFloorTable(const std::string& markdown) {
    FloorTable table;
    std::istringstream lines(markdown);
    std::string line;
    int floorColumn = -1, unitColumn = -1, includeColumn = -1;
    while (std::getline(lines, line)) {
        const std::vector<std::string> header = Cells(line);
        floorColumn = ColumnOf(header, "Floor");
        unitColumn = ColumnOf(header, "Unit");
        includeColumn = ColumnOf(header, "May include");
        if (floorColumn >= 0 && unitColumn >= 0 && includeColumn >= 0) {
            break;
        }
    }
    if (includeColumn < 0) {
        table.problems.push_back("no table with the columns Floor, Unit and May include");
        return table;
    }
    std::getline(lines, line);  // the row of dashes under the header
    while (std::getline(lines, line)) {
        const std::vector<std::string> cells = Cells(line);
        if (cells.empty()) {
            break;
        }
        const auto needed =
            static_cast<std::size_t>(std::max({floorColumn, unitColumn, includeColumn})) + 1;
        const auto cell = [&](int column) { return cells[static_cast<std::size_t>(column)]; };
        const std::vector<std::string> names =
            CodeSpans(cells.size() >= needed ? cell(unitColumn) : std::string());
        FloorUnit unit;
        if (names.size() != 1 || !ReadFloor(cell(floorColumn), unit.floor)) {
            table.problems.push_back("a row with no floor or not one unit: " + line);
            continue;
        }
        unit.name = names.front();
        const std::string allowed = cell(includeColumn);
        unit.mayInclude = CodeSpans(allowed);
        unit.mayIncludeAnything = unit.mayInclude.empty() && allowed == "anything";
        if (unit.mayInclude.empty() && !unit.mayIncludeAnything && allowed != "nothing") {
            table.problems.push_back(unit.name +
                                     ": may include neither units, nothing nor anything");
        }
        if (table.Find(unit.name) != nullptr) {
            table.problems.push_back(unit.name + " has two rows");
            continue;
        }
        table.units.push_back(std::move(unit));
    }
    CheckPointsDown(table);
    return table;
}
