#include "sys/dynamic_library.h"

#include <QFile>
#include <QTemporaryDir>

#include <utility>

#include <gtest/gtest.h>

namespace {

using AddFn = int(int, int);
using NameFn = const char*();

struct TestTable {
    AddFn* add = nullptr;
    NameFn* name = nullptr;
    AddFn* absent = nullptr;
};

const QString kLibraryPath = QStringLiteral(TALVORE_TEST_LIBRARY);

// Placeholders that a binding must overwrite.
int NotBound(int, int) {
    return -1;
}
const char* NotBoundName() {
    return "not bound";
}

}  // namespace

TEST(DynamicLibrary, LoadsAndBindsExportsByName) {
    DynamicLibrary library;
    ASSERT_TRUE(library.Load(kLibraryPath)) << library.ErrorString().toStdString();
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_EQ(library.Path(), kLibraryPath);

    TestTable table;
    ExportBinder binder(library);
    binder.Bind("talvore_test_add", table.add).Bind("talvore_test_name", table.name);
    EXPECT_TRUE(binder.Complete());
    ASSERT_NE(table.add, nullptr);
    ASSERT_NE(table.name, nullptr);
    EXPECT_EQ(table.add(40, 2), 42);
    EXPECT_STREQ(table.name(), "test library");
}

TEST(DynamicLibrary, MissingExportIsNullAndNamed) {
    DynamicLibrary library;
    ASSERT_TRUE(library.Load(kLibraryPath));
    TestTable table;
    table.absent = &NotBound;  // must be overwritten
    ExportBinder binder(library);
    binder.Bind("talvore_test_add", table.add).Bind("talvore_test_subtract", table.absent);
    EXPECT_FALSE(binder.Complete());
    EXPECT_EQ(binder.Missing(), QStringList{QStringLiteral("talvore_test_subtract")});
    EXPECT_NE(table.add, nullptr);
    EXPECT_EQ(table.absent, nullptr);
}

TEST(DynamicLibrary, FailedLoadLeavesEveryBindingNullAndSaysWhy) {
    QTemporaryDir dir;
    QFile notALibrary(dir.path() + QStringLiteral("/hiddriver_1.so"));
    ASSERT_TRUE(notALibrary.open(QIODevice::WriteOnly));
    notALibrary.write("this is not an ELF file");
    notALibrary.close();

    for (const QString& path :
         {dir.path() + QStringLiteral("/Hook.so"), notALibrary.fileName(), dir.path(), QString()}) {
        DynamicLibrary library;
        EXPECT_FALSE(library.Load(path)) << path.toStdString();
        EXPECT_FALSE(library.IsLoaded());
        EXPECT_FALSE(library.ErrorString().isEmpty());

        TestTable table;
        table.add = &NotBound;
        table.name = &NotBoundName;
        ExportBinder binder(library);
        binder.Bind("talvore_test_add", table.add).Bind("talvore_test_name", table.name);
        EXPECT_FALSE(binder.Complete());
        EXPECT_EQ(table.add, nullptr);
        EXPECT_EQ(table.name, nullptr);
    }
}

TEST(DynamicLibrary, FailedReloadDropsThePreviousLibrary) {
    DynamicLibrary library;
    ASSERT_TRUE(library.Load(kLibraryPath));
    EXPECT_FALSE(library.Load(kLibraryPath + QStringLiteral(".missing")));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.Resolve<AddFn>("talvore_test_add"), nullptr);
}

TEST(DynamicLibrary, MoveTransfersOwnership) {
    DynamicLibrary first;
    ASSERT_TRUE(first.Load(kLibraryPath));
    DynamicLibrary second(std::move(first));
    EXPECT_FALSE(first.IsLoaded());  // NOLINT(bugprone-use-after-move): moved-from state is defined
    ASSERT_TRUE(second.IsLoaded());
    AddFn* add = second.Resolve<AddFn>("talvore_test_add");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(1, 2), 3);

    DynamicLibrary third;
    third = std::move(second);
    EXPECT_FALSE(second.IsLoaded());  // NOLINT(bugprone-use-after-move)
    EXPECT_NE(third.Resolve<NameFn>("talvore_test_name"), nullptr);
    third.Unload();
    EXPECT_EQ(third.Resolve<NameFn>("talvore_test_name"), nullptr);
}
