// The settings page driven through its controls, with the dialogs answered by script, and the
// simulated mouse on its cable behind the demo folder's driver libraries: the profile list with
// its files, the colour swatches, the desktop's mouse settings and the wheel over the page.
#include <QApplication>
#include <QFile>
#include <QWheelEvent>
#include <QtTest/QTest>

#include <cstring>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "link/program_messages.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/e2e/mouse_matches_record.h"
#include "tests/e2e/program_on_mouse.h"
#include "ui/test_hook.h"

// Readable failures for texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

constexpr qint64 kRecordSize = 165024;

class NoSleep final : public Sleeper {
public:
    void SleepMs(int) override {}
};

class SettingsPage : public ProgramOnMouse {
protected:
    void SetUp() override {
        ProgramOnMouse::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        sim::SharedMouse().SetCablePlugged(true);
        platform.sleeper = &noSleep;
        platform.openMouseSettings = [this] { return mouseSettingsInstalled; };
        Open();
    }

    void Click(const char* name) { window->Find<Button>(QLatin1String(name)).Click(); }
    ListBox List() { return window->Find<ListBox>(QStringLiteral("ms_1_list_profile")); }
    ProfileStore& Store() { return window->Page().Store(); }
    ProfileRecord Current() { return *Store().TakeSnapshotOfCurrent(); }

    // The next name dialog gets `name` typed and OK clicked.
    static void AnswerName(const QString& name) {
        TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 0, [name](WindowImplBase& w) {
            w.Find<Edit>(QStringLiteral("edit_name")).SetText(name);
            w.Find<Button>(QStringLiteral("btn_ok")).Click();
        });
    }
    // The next message box is answered with `result`; its message key is kept in `messages`.
    void AnswerMessage(int result) {
        TestHook::ScriptModal(QStringLiteral("MsgWnd"), result, [this](WindowImplBase& box) {
            messages.append(box.Find<Label>(QStringLiteral("warning")).TextKey());
        });
    }
    QStringList Names() {
        QStringList names;
        for (int i = 0; i < List().Count(); ++i) {
            names.append(List().ItemText(i));
        }
        return names;
    }
    // Waits until the mouse holds the current profile, as the page's own applies deliver it.
    ::testing::AssertionResult MouseHoldsCurrent() {
        (void)QTest::qWaitFor(
            [&] { return bool(MouseMatchesRecord(sim::SharedMouse().Settings(), Current())); },
            kWaitMs);
        return MouseMatchesRecord(sim::SharedMouse().Settings(), Current());
    }

    NoSleep noSleep;
    bool mouseSettingsInstalled = true;
    QStringList messages;
};

TEST_F(SettingsPage, RenameAddAndDeleteKeepTheListBesideTheStoreAndTheMouseOnTheSelection) {
    // A rename is written at once, before any apply could save it.
    AnswerName(QStringLiteral("A"));
    Click("ms_1_profile_rename_btn");
    QFile data(Store().FilePath());
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    // The selected index, activeSlot, then the name.
    EXPECT_EQ(data.read(12), QByteArray("\0\0\0\0\0\0\0\0A\0\0\0", 12));
    data.close();

    AnswerName(QStringLiteral("B"));
    Click("ms_1_profile_add_btn");
    window->Find<Slider>(QStringLiteral("ms_1_slider_dpi_1")).SetValue(20, Notify::kYes);
    // Enter in the name box confirms, as the OK button does.
    TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 0, [](WindowImplBase& w) {
        QWidget* edit = w.Find<Edit>(QStringLiteral("edit_name")).Widget();
        QTest::keyClicks(edit, QStringLiteral("C"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    Click("ms_1_profile_add_btn");
    EXPECT_EQ(Names(), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(List().CurSel(), 2);
    EXPECT_EQ(ProfileName(Current()), QStringLiteral("C"));

    // A name taken in another case is refused inside the dialog, which stays open for a cancel.
    TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 0, [this](WindowImplBase& w) {
        AnswerMessage(1);
        w.Find<Edit>(QStringLiteral("edit_name")).SetText(QStringLiteral("b"));
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
        EXPECT_TRUE(w.IsWindow());
        w.Find<Button>(QStringLiteral("btn_cancel")).Click();
    });
    Click("ms_1_profile_add_btn");
    EXPECT_EQ(messages, QStringList{QStringLiteral("warn_name_2_text")});
    EXPECT_EQ(Names(), (QStringList{"A", "B", "C"}));

    AnswerMessage(0);  // deleting asks first; cancel keeps C
    Click("ms_1_profile_delete_btn");
    EXPECT_EQ(Store().Count(), 3);
    AnswerMessage(1);
    Click("ms_1_profile_delete_btn");
    EXPECT_EQ(messages.last(), QStringLiteral("delete_profile_text"));
    EXPECT_EQ(Names(), (QStringList{"A", "B"}));
    EXPECT_EQ(List().CurSel(), 1);
    EXPECT_EQ(Store().SelectedIndex(), 1);
    EXPECT_EQ(ProfileName(Current()), QStringLiteral("B"));
    EXPECT_TRUE(MouseHoldsCurrent());
    EXPECT_EQ(sim::SharedMouse().Settings().dpi.dpi[0], 2000);

    // Deleting the first selects the new first; the last one left is never deleted.
    List().Select(0, TakeFocus::kNo, Notify::kYes);
    AnswerMessage(1);
    Click("ms_1_profile_delete_btn");
    EXPECT_EQ(Names(), QStringList{"B"});
    EXPECT_EQ(List().CurSel(), 0);
    AnswerMessage(1);
    Click("ms_1_profile_delete_btn");
    EXPECT_EQ(messages.last(), QStringLiteral("one_profile_text"));
    EXPECT_EQ(Store().Count(), 1);
}

TEST_F(SettingsPage, ResetRestoresTheDefaultStagesAfterConfirmationAndSendsThem) {
    Slider first = window->Find<Slider>(QStringLiteral("ms_1_slider_dpi_1"));
    first.SetValue(50, Notify::kYes);
    window->Find<Option>(QStringLiteral("ms_1_option_dpi_step_6")).Select(Notify::kYes);
    AnswerMessage(0);
    Click("ms_1_profile_reset_btn");
    EXPECT_EQ(Current().slots[0].dpiValue[0], 50);

    AnswerMessage(1);
    Click("ms_1_profile_reset_btn");
    EXPECT_EQ(messages, (QStringList{"restore_text", "restore_text"}));
    EXPECT_EQ(first.Value(), 8);
    EXPECT_TRUE(window->Find<Option>(QStringLiteral("ms_1_option_dpi_step_3")).IsSelected());
    ASSERT_TRUE(MouseHoldsCurrent());
    const sim::DpiSettings dpi = sim::SharedMouse().Settings().dpi;
    EXPECT_EQ(std::vector<int>(dpi.dpi.begin(), dpi.dpi.begin() + 6),
              (std::vector<int>{800, 1200, 1600, 2400, 3200, 6000}));
    EXPECT_EQ(dpi.currentStage, 3);
    EXPECT_EQ(ProfileName(Current()), QStringLiteral("Profile1"));
}

TEST_F(SettingsPage, ChosenColoursReachTheRecordTheSwatchAndTheMouseButACancelChangesNothing) {
    Button swatch = window->Find<Button>(QStringLiteral("ms_1_btn_dpi_color_3"));
    QRect opened;
    TestHook::ScriptModal(QStringLiteral("DpiColorWnd"), 0, [&](WindowImplBase& w) {
        opened = w.ScreenRect();
        w.Find<Button>(QStringLiteral("mouse_dpi_color_11")).Click();
        EXPECT_EQ(w.Find<Edit>(QStringLiteral("r_edit")).Text(), QStringLiteral("255"));
        w.Find<Button>(QStringLiteral("confirm_btn")).Click();
    });
    swatch.Click();
    // Stage 3's colour, stored as the bytes R, G, B, 0.
    const ProfileRecord record = Current();
    char bytes[4];
    std::memcpy(bytes, &record.slots[0].dpiColor[2], 4);
    EXPECT_EQ(QByteArray(bytes, 4), QByteArray("\xFF\0\0\0", 4));
    EXPECT_EQ(swatch.BkColor(), 0xFFFF0000u);
    EXPECT_EQ(opened.size(), QSize(250, 200));
    ASSERT_TRUE(MouseHoldsCurrent());
    EXPECT_EQ(sim::SharedMouse().Settings().dpi.colors[2], (sim::Rgb{0xFF, 0x00, 0x00}));

    Button light = window->Find<Button>(QStringLiteral("ms_1_btn_light_color"));
    const quint32 lightBefore = light.BkColor();
    TestHook::ScriptModal(QStringLiteral("DpiColorWnd"), 0, [](WindowImplBase& w) {
        w.Find<Button>(QStringLiteral("mouse_dpi_color_2")).Click();
        w.Find<Button>(QStringLiteral("cancel_btn")).Click();
    });
    light.Click();
    EXPECT_EQ(light.BkColor(), lightBefore);
    EXPECT_EQ(Current().slots[0].lightColor, 0xFF0000u);  // the default blue, untouched
    EXPECT_EQ(TestHook::ModalRuns().count(QStringLiteral("DpiColorWnd")), 2);
}

TEST_F(SettingsPage, ExportedProfileComesBackUnderAFreeNameAndARefusedFileAddsNothing) {
    const QString exported = folder.filePath(QStringLiteral("out.pro"));
    TestHook::ScriptFileDialog(exported);
    Click("ms_1_profile_export_btn");
    const FileDialogRequest asked = TestHook::FileDialogRequests().constLast();
    EXPECT_TRUE(asked.save);
    EXPECT_TRUE(asked.promptOverwrite);
    EXPECT_EQ(asked.defaultExtension, QStringLiteral("pro"));
    EXPECT_EQ(asked.filter.description, QStringLiteral("Profile File"));
    EXPECT_EQ(asked.filter.patterns, (QStringList{"*.pro", "*.PRO"}));
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_EQ(file.size(), kRecordSize);
    ProfileRecord before = Current();
    EXPECT_EQ(file.readAll(), QByteArray(reinterpret_cast<const char*>(&before), kRecordSize));

    TestHook::ScriptFileDialog(exported);
    Click("ms_1_profile_import_btn");
    EXPECT_FALSE(TestHook::FileDialogRequests().constLast().save);
    EXPECT_EQ(Names(), (QStringList{"Profile1", "Profile1_1"}));
    EXPECT_EQ(List().CurSel(), 1);
    ProfileRecord imported = Current();
    EXPECT_EQ(ProfileName(imported), QStringLiteral("Profile1_1"));
    SetProfileName(before, QStringLiteral("Profile1_1"));
    EXPECT_EQ(std::memcmp(&imported, &before, sizeof before), 0);
    EXPECT_TRUE(MouseHoldsCurrent());

    // A file shorter than one profile, or none at all, is refused and the user is told.
    const QString shortFile = folder.filePath(QStringLiteral("short.pro"));
    ASSERT_TRUE(QFile::copy(exported, shortFile));
    ASSERT_TRUE(QFile::resize(shortFile, kRecordSize - 1));
    for (const QString& path : {shortFile, folder.filePath(QStringLiteral("missing.pro"))}) {
        TestHook::ScriptFileDialog(path);
        AnswerMessage(1);
        Click("ms_1_profile_import_btn");
    }
    EXPECT_EQ(messages, (QStringList{"import_failed_text", "import_failed_text"}));
    EXPECT_EQ(Store().Count(), 2);
    EXPECT_EQ(List().Count(), 2);
    EXPECT_EQ(Store().SelectedIndex(), 1);

    // An export that cannot be written says so.
    TestHook::ScriptFileDialog(folder.filePath(QStringLiteral("out.pro/x.pro")));
    AnswerMessage(1);
    Click("ms_1_profile_export_btn");
    EXPECT_EQ(messages.last(), QStringLiteral("export_failed_text"));
}

TEST_F(SettingsPage, MouseSettingsButtonSaysSoWhenTheDesktopHasNone) {
    Click("ms_1_btn_mouse_attribute");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(TestHook::ModalRuns().isEmpty());
    mouseSettingsInstalled = false;
    AnswerMessage(1);
    Click("ms_1_btn_mouse_attribute");
    EXPECT_EQ(messages, QStringList{QStringLiteral("no_mouse_settings_text")});
}

// The wheel over a DPI slider that was not clicked first is left for the page's scroll area (Qt
// hands an ignored wheel on to the parents); the slider takes it only once it has the focus.
TEST_F(SettingsPage, WheelOverAnUnfocusedSliderChangesNothing) {
    window->ShowWindow(true);
    Slider slider = window->Find<Slider>(QStringLiteral("ms_1_slider_dpi_1"));
    QWidget* widget = slider.Widget();
    const auto turn = [&] {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &wheel);
        return wheel.isAccepted();
    };
    const int value = slider.Value();
    EXPECT_FALSE(turn());
    EXPECT_EQ(slider.Value(), value);
    EXPECT_EQ(Current().slots[0].dpiValue[0], value);
    EXPECT_FALSE(window->HasTimer(page_timers::kApplyDebounce));

    slider.SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return slider.HasFocus(); }, kWaitMs));
    EXPECT_TRUE(turn());
    EXPECT_NE(slider.Value(), value);
    EXPECT_EQ(Current().slots[0].dpiValue[0], slider.Value());
    EXPECT_TRUE(window->HasTimer(page_timers::kApplyDebounce));
}

}  // namespace
