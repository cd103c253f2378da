// The program tells the user when its data cannot be saved (once a run) and when a damaged store
// was kept aside, in the language of the window.
#include <QDir>

#include <gtest/gtest.h>

#include "app/data_notices.h"
#include "dialogs/msg_wnd.h"
#include "tests/app/app_test_support.h"
#include "tests/macro/file_bytes.h"

namespace {

class DataNoticesTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureProgramApp();
        TestHook::Enable();
        oldXdg_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/share")));
    }
    void TearDown() override {
        window.reset();
        TestHook::Disable();
        qputenv("XDG_DATA_HOME", oldXdg_);
    }
    void Open() {
        window = std::make_unique<CMainWnd>(folder.Platform());
        ASSERT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
        QTest::qWait(0);
        QCoreApplication::processEvents();
    }
    // The next message box must show this text key, in the language of the window.
    void ExpectBox(const char* key) {
        TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1, [key](WindowImplBase& box) {
            const Label message = box.Find<Label>(QStringLiteral("warning"));
            EXPECT_EQ(message.TextKey(), QLatin1String(key));
            EXPECT_EQ(message.Text(), LanguageManager::Instance().Text(QLatin1String(key)));
            EXPECT_NE(message.Text(), QLatin1String(key));
        });
    }
    int MessageBoxes() const {
        return static_cast<int>(TestHook::ModalRuns().count(QStringLiteral("MsgWnd")));
    }

    ProgramFolder folder;
    QTemporaryDir home;
    std::unique_ptr<CMainWnd> window;

private:
    QByteArray oldXdg_;
};

TEST_F(DataNoticesTest, NoWritableDataFolderIsToldOnceHoweverOftenSavingFails) {
    // A file stands where either data folder would have to be.
    WriteBytes(folder.Path() + QStringLiteral("Data"), "in the way");
    WriteBytes(home.path() + QStringLiteral("/share"), "in the way");
    ExpectBox(kDataNotSavedTextKey);
    Open();
    EXPECT_TRUE(QTest::qWaitFor([this] { return MessageBoxes() == 1; }, 5000));

    // The language choice and a rename cannot be saved either: no second box.
    window->Find<ComboBox>(QStringLiteral("combo_lan")).Select(2, TakeFocus::kNo, Notify::kYes);
    EXPECT_FALSE(window->Page().Store().Rename(0, QStringLiteral("Kept in memory")));
    QCoreApplication::processEvents();
    EXPECT_EQ(MessageBoxes(), 1);
    EXPECT_EQ(ReadBytes(folder.Path() + QStringLiteral("Data")), QByteArray("in the way"));
}

TEST_F(DataNoticesTest, ADamagedStoreIsKeptAsideAndTheUserIsTold) {
    folder.WriteConfig("[SETTING]\nlanId=3\n");  // Russian
    WriteBytes(folder.Path() + QStringLiteral("Data/ms_1/pro.data"), "ten bytes.");
    ExpectBox(kStoreKeptAsideTextKey);
    Open();
    EXPECT_TRUE(QTest::qWaitFor([this] { return MessageBoxes() == 1; }, 5000));
    const QStringList aside =
        QDir(folder.Path() + QStringLiteral("Data/ms_1")).entryList({QStringLiteral("*.damaged")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadBytes(folder.Path() + QStringLiteral("Data/ms_1/") + aside[0]),
              QByteArray("ten bytes."));
    EXPECT_EQ(window->Page().Store().Count(), 1);
    EXPECT_EQ(ReadBytes(folder.Path() + QStringLiteral("Data/ms_1/pro.data")).size(), 165028);
}

}  // namespace
