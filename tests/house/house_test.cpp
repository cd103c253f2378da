// The house rules, checked on the tree itself, and the checks shown to catch what they look for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "tests/house/house_checks.h"
#include "tests/house/source_tree.h"

namespace fs = std::filesystem;

namespace {

const fs::path kTree = TALVORE_SOURCE_DIR;
constexpr int kMaxProgramFileLines = 600;

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + '\n';
    }
    return text;
}

FloorTable TreeTable() {
    return ReadFloorTable(ReadText(kTree / "docs/architecture.md"));
}

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

class TemporaryTree {
public:
    TemporaryTree() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() /
                (std::string("talvore_house_") + test->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(path_);
    }
    ~TemporaryTree() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

}  // namespace

TEST(House, FloorTableIsWellFormedAndPointsDown) {
    const FloorTable table = TreeTable();
    EXPECT_TRUE(table.problems.empty()) << Joined(table.problems);
}

TEST(House, EveryIncludePointsDownTheFloors) {
    const std::vector<std::string> faults = IncludesAgainstFloors(TreeTable(), kTree);
    EXPECT_TRUE(faults.empty()) << Joined(faults);
}

TEST(House, EveryTargetLinksDownTheFloors) {
    const std::vector<std::string> faults = TargetLinksAgainstFloors(TreeTable(), kTree);
    EXPECT_TRUE(faults.empty()) << Joined(faults);
}

TEST(House, NoProgramFileIsOverSixHundredLines) {
    const std::vector<std::string> faults = ProgramFilesOver(kMaxProgramFileLines, kTree);
    EXPECT_TRUE(faults.empty()) << Joined(faults);
}

// A small tree with one fault of each kind: the checks name exactly those.
TEST(House, ChecksFindUpwardIncludesAndLinksAndTablesThatPointUp) {
    TemporaryTree tree;
    const fs::path root = tree.Path();
    Write(root / "docs/architecture.md",
          "Intro.\n\n"
          "| Floor | Unit | Holds | May include |\n"
          "|---|---|---|---|\n"
          "| 0 | `low/` | data | nothing |\n"
          "| 0 | `low/shared` | one header | nothing |\n"
          "| 1 | `high/` | windows | `low/`, `low/shared` |\n"
          "| top | `tests/` | tests | anything |\n");
    Write(root / "low/record.h", "#pragma once\n#include <vector>\n#include \"low/shared.h\"\n");
    Write(root / "low/shared.h", "#pragma once\n");
    Write(root / "low/store.cpp", "#include \"record.h\"\n\n  #  include \"high/window.h\"\n");
    Write(root / "high/window.h",
          "#pragma once\n#include \"low/record.h\"\n#include \"low/shared.h\"\n");
    Write(root / "tests/window_test.cpp",
          "#include \"high/window.h\"\n#include \"low/record.h\"\n");
    Write(root / "stray/thing.cpp", "int x;\n");
    Write(root / "build/CMakeCache.txt", "");
    Write(root / "build/generated.cpp", "#include \"high/window.h\"\n");
    Write(root / "low/CMakeLists.txt",
          "# the store\nadd_library(low_store STATIC store.cpp)\n"
          "set(LOW_LIBS high_window Qt6::Core)\n"
          "target_link_libraries(low_store PUBLIC\n    ${LOW_LIBS}) # up\n");
    Write(root / "high/CMakeLists.txt",
          "add_library(high_window STATIC ${CMAKE_CURRENT_SOURCE_DIR}/window.h)\n"
          "target_link_libraries(high_window PRIVATE low_store)\n");
    Write(root / "tests/CMakeLists.txt",
          "add_executable(window_test window_test.cpp)\n"
          "target_link_libraries(window_test PRIVATE high_window low_store)\n");

    const FloorTable table = ReadFloorTable(ReadText(root / "docs/architecture.md"));
    ASSERT_TRUE(table.problems.empty()) << Joined(table.problems);
    EXPECT_EQ(table.UnitOf("low/shared.h")->name, "low/shared");
    EXPECT_EQ(table.UnitOf("low/sub/record.h")->name, "low/");

    EXPECT_EQ(IncludesAgainstFloors(table, root),
              (std::vector<std::string>{
                  "low/record.h:3: includes low/shared.h, but low/ (floor 0) may not include "
                  "low/shared (floor 0)",
                  "low/store.cpp:3: includes high/window.h, but low/ (floor 0) may not include "
                  "high/ (floor 1)",
                  "stray/thing.cpp: in no unit of the floor table"}));
    EXPECT_EQ(TargetLinksAgainstFloors(table, root),
              (std::vector<std::string>{"low/CMakeLists.txt: low_store links high_window, but low/ "
                                        "(floor 0) may not include high/ (floor 1)"}));

    Write(root / "low/store.cpp", std::string(601, '\n'));
    Write(root / "tests/long_test.cpp", std::string(700, '\n'));
    EXPECT_EQ(ProgramFilesOver(600, root), (std::vector<std::string>{"low/store.cpp: 601 lines"}));

    const FloorTable upward = ReadFloorTable(
        "| Floor | Unit | Holds | May include |\n|---|---|---|---|\n"
        "| 1 | `a/` | | `b/` |\n| 1 | `b/` | | `a/` |\n| 2 | `c/` | | `d/` |\n"
        "| 2 | `e/` | | anything |\n| x | `f/` | | nothing |\n");
    EXPECT_EQ(upward.problems, (std::vector<std::string>{
                                   "a row with no floor or not one unit: | x | `f/` | | nothing |",
                                   "a/ (floor 1) may include b/ (floor 1), which is not below it",
                                   "b/ (floor 1) may include a/ (floor 1), which is not below it",
                                   "c/ may include d/, which is no unit of the table",
                                   "e/ may include anything but is not on the top floor"}));
}
