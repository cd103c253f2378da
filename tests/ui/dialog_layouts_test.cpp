// The layouts of the tray menu, the dialogs, the function menus and the macro editor hold every
// control the program looks up, of the kind it expects, and their texts fit in every language.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QWidget>
#include <set>

#include "page/function_codes.h"
#include "tests/ui/layout_test_window.h"

namespace {

TEST(SmallLayouts, TrayMenu) {
    auto w = Open(QStringLiteral("traymenu.xml"));
    EXPECT_EQ(w->Require<Button>(QStringLiteral("configuration")).TextKey(),
              QStringLiteral("configuration_text"));
    EXPECT_EQ(w->Require<Button>(QStringLiteral("exit")).TextKey(), QStringLiteral("exit_text"));
}

TEST(SmallLayouts, MessageBox) {
    auto w = Open(QStringLiteral("msg.xml"));
    w->Require<Label>(QStringLiteral("warning_title"));
    const Label message = w->Require<Label>(QStringLiteral("warning"));
    if (const auto* label = w->WidgetOf<QLabel>(message)) {
        EXPECT_TRUE(label->wordWrap());
    }
    EXPECT_EQ(w->Require<Button>(QStringLiteral("btn_ok")).TextKey(), QStringLiteral("ok_text"));
    EXPECT_EQ(w->Require<Button>(QStringLiteral("btn_cancel")).TextKey(),
              QStringLiteral("cancel_text"));
}

// The longest message the box shows, the hint for a mouse this user may not open, wraps inside
// the box in every language.
TEST(SmallLayouts, MessageBoxHoldsTheDeviceAccessHint) {
    for (const char* language : {"lan/CN.xml", "lan/EN.xml", "lan/RU.xml", "lan/ES.xml"}) {
        auto w = Open(QStringLiteral("msg.xml"), language);
        Label message = w->Require<Label>(QStringLiteral("warning"));
        message.SetTextKey(QStringLiteral("device_access_text"));
        QWidget* root = w->RootWidget();
        root->show();
        root->layout()->activate();
        const auto* label = w->WidgetOf<QLabel>(message);
        ASSERT_NE(label, nullptr);
        EXPECT_NE(label->text(), QStringLiteral("device_access_text")) << language;
        EXPECT_LE(label->heightForWidth(label->contentsRect().width()),
                  label->contentsRect().height())
            << language << ": \"" << label->text().toStdString() << "\"";
    }
}

// The data folder's messages wrap inside the box in every language.
TEST(SmallLayouts, MessageBoxHoldsTheDataFolderMessages) {
    for (const char* language : {"lan/CN.xml", "lan/EN.xml", "lan/RU.xml", "lan/ES.xml"}) {
        for (const char* key : {"data_not_saved_text", "store_kept_aside_text",
                                "import_not_saved_text", "store_full_text"}) {
            auto w = Open(QStringLiteral("msg.xml"), language);
            Label message = w->Require<Label>(QStringLiteral("warning"));
            message.SetTextKey(QLatin1String(key));
            QWidget* root = w->RootWidget();
            root->show();
            root->layout()->activate();
            const auto* label = w->WidgetOf<QLabel>(message);
            ASSERT_NE(label, nullptr);
            EXPECT_NE(label->text(), QLatin1String(key)) << language << " lacks " << key;
            EXPECT_LE(label->heightForWidth(label->contentsRect().width()),
                      label->contentsRect().height())
                << language << ": " << key;
        }
    }
}

TEST(SmallLayouts, DpiPopup) {
    auto w = Open(QStringLiteral("DPImsg.xml"));
    EXPECT_EQ(w->RootWidget()->size(), QSize(200, 50));
    w->Require<Label>(QStringLiteral("dpi_label"));
}

TEST(SmallLayouts, ProfileNameDialog) {
    auto w = Open(QStringLiteral("MS/MS_1/profilename.xml"));
    w->Require<Label>(QStringLiteral("title_string"));
    const Edit name = w->Require<Edit>(QStringLiteral("edit_name"));
    if (const auto* edit = w->WidgetOf<QLineEdit>(name)) {
        EXPECT_EQ(edit->maxLength(), 49);
    }
    for (const char* button : {"btn_ok", "btn_cancel", "btn_exit"}) {
        w->Require<Button>(QString::fromLatin1(button));
    }
}

TEST(SmallLayouts, ColourDialog) {
    auto w = Open(QStringLiteral("DpiColorDialog.xml"));
    EXPECT_EQ(w->RootWidget()->size(), QSize(250, 200));
    const Palette palette = w->Require<Palette>(QStringLiteral("ColorPallet"));
    if (const QWidget* widget = palette.Widget()) {
        EXPECT_GE(widget->minimumWidth(), 100);
    }
    w->Require<Control>(QStringLiteral("color_show_control"));
    for (const char* box : {"r_edit", "g_edit", "b_edit"}) {
        const Edit edit = w->Require<Edit>(QString::fromLatin1(box));
        if (const auto* line = w->WidgetOf<QLineEdit>(edit)) {
            EXPECT_GE(line->maxLength(), 3) << box;  // room for "255" and "-5"
        }
    }
    for (int i = 1; i <= 16; ++i) {
        ExpectSwatch(*w, WindowImplBase::FormatName(QStringLiteral("mouse_dpi_color_%d"), i));
    }
    EXPECT_TRUE(w->FindOptional<Control>(QStringLiteral("mouse_dpi_color_17")).IsNull());
    EXPECT_EQ(w->Require<Button>(QStringLiteral("confirm_btn")).TextKey(),
              QStringLiteral("ok_text"));
    EXPECT_EQ(w->Require<Button>(QStringLiteral("cancel_btn")).TextKey(),
              QStringLiteral("cancel_text"));
}

TEST(SmallLayouts, DialogTextsFitInEveryLanguage) {
    ExpectTextsFit("DpiColorDialog.xml");
    ExpectTextsFit("MS/MS_1/profilename.xml");
    ExpectTextsFit("msg.xml");
}

TEST(SmallLayouts, ShortcutDialog) {
    auto w = Open(QStringLiteral("shortcut.xml"));
    const char* const modifiers[] = {"keyboard_ctrl_text", "keyboard_shift_text",
                                     "keyboard_alt_text", "keyboard_win_text"};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(w->Require<CheckBox>("check_flag_%d", k).TextKey(),
                  QString::fromLatin1(modifiers[k - 1]));
    }
    w->Require<Edit>(QStringLiteral("edit_key"));
    for (const char* button : {"btn_ok", "btn_cancel", "btn_exit"}) {
        w->Require<Button>(QString::fromLatin1(button));
    }
    ExpectTextsFit("shortcut.xml");
}

TEST(SmallLayouts, MacroSelectionDialog) {
    auto w = Open(QStringLiteral("MS/MS_1/selectmacro.xml"));
    w->Require<ListBox>(QStringLiteral("list_macro"));
    for (int k = 1; k <= 3; ++k) {
        ExpectOptionGroup(w->Require<Option>("repeat_%d", k), "repeat");
    }
    const Control panel = w->Require<Control>(QStringLiteral("hor_loop_time"));
    EXPECT_TRUE(
        IsInside(w->Require<Edit>(QStringLiteral("edit_loop_time")).Widget(), panel.Widget()));
    for (const char* button : {"btn_ok", "btn_cancel", "btn_exit"}) {
        w->Require<Button>(QString::fromLatin1(button));
    }
    ExpectTextsFit("MS/MS_1/selectmacro.xml");
}

// Both function menus offer every function a menu can choose, each once, by its table name.
TEST(SmallLayouts, FunctionMenus) {
    for (const char* file : {"MS/MS_1/ms_1_menu.xml", "MS/MS_1/ms_1_menu_1.xml"}) {
        auto w = Open(QString::fromLatin1(file));
        std::set<uint8_t> codes;
        const auto items = w->RootWidget()->findChildren<QAbstractButton*>();
        for (const QAbstractButton* item : items) {
            const auto code = FunctionOfMenuItem(item->objectName());
            EXPECT_TRUE(code.has_value()) << file << ": " << item->objectName().toStdString();
            if (code) {
                codes.insert(*code);
                EXPECT_EQ(item->property("textKey").toString(),
                          *code == 0x10   ? QStringLiteral("shortcut_text")
                          : *code == 0x11 ? QStringLiteral("select_macro_text")
                                          : FunctionTextKey(*code))
                    << file << ": " << item->objectName().toStdString();
            }
        }
        EXPECT_EQ(items.size(), 55) << file;
        EXPECT_EQ(codes.size(), 55u) << file;
        ExpectTextsFit(file);
    }
}

TEST(MacroEditorLayout, EveryControlOfTheEditorAndTheActionRow) {
    auto w = Open(QStringLiteral("MS/MS_1/ms_1_macropage.xml"));
    for (const char* name :
         {"btn_exit", "ms_1_macro_add_btn", "ms_1_macro_delete_btn", "ms_1_macro_up_btn",
          "ms_1_macro_down_btn", "ms_1_macro_delete_action_btn", "ms_1_macro_clear_action_btn",
          "ms_1_macro_import_btn", "ms_1_macro_export_btn", "ms_1_macro_save_btn",
          "ms_1_macro_cancel_btn"}) {
        w->Require<Button>(QString::fromLatin1(name));
    }
    for (int k = 1; k <= 5; ++k) {
        w->Require<Button>("ms_1_macro_key%d_btn", k);
    }
    for (const char* name : {"ms_1_macro_list", "ms_1_macro_action_list"}) {
        w->Require<ListBox>(QString::fromLatin1(name));
    }
    for (const char* name :
         {"ms_1_macro_name_edit", "ms_1_default_delay_edit", "ms_1_macro_action_edit",
          "ms_1_macro_delay_edit", "ms_1_macro_mouseaction_delay_edit"}) {
        w->Require<Edit>(QString::fromLatin1(name));
    }
    for (const char* name :
         {"ms_1_macro_insert_mouse_btn", "ms_1_macro_record_btn", "ms_1_macro_action_edit_check"}) {
        w->Require<CheckBox>(QString::fromLatin1(name));
    }
    for (const char* name :
         {"ms_1_record_delay_btn", "ms_1_default_delay_btn", "ms_1_no_delay_btn"}) {
        ExpectOptionGroup(w->Require<Option>(QString::fromLatin1(name)), "delay_mode");
    }
    EXPECT_TRUE(w->Require<Option>(QStringLiteral("ms_1_default_delay_btn")).IsSelected());
    EXPECT_EQ(w->Require<Edit>(QStringLiteral("ms_1_default_delay_edit")).Text(),
              QStringLiteral("10"));
    // Typing into the key box would scramble the captured key's name; space would toggle a
    // focused record button in the middle of a recording.
    EXPECT_EQ(w->Require<Control>(QStringLiteral("ms_1_macro_record_btn")).Widget()->focusPolicy(),
              Qt::NoFocus);
    EXPECT_EQ(w->Require<TabLayout>(QStringLiteral("ms_1_macro_action_edit_tab")).PageCount(), 3);
    const ComboBox buttons = w->Require<ComboBox>(QStringLiteral("ms_1_macro_mouse_action_combo"));
    ASSERT_EQ(buttons.Count(), 5);
    EXPECT_EQ(buttons.ItemText(3), QStringLiteral("Forward button"));
    EXPECT_EQ(buttons.ItemText(4), QStringLiteral("Back button"));
    for (const char* name : {"ms_1_macro_name_tab", "ms_1_macro_mouse_event_tab",
                             "ms_1_macro_savedata_tab", "ms_1_macro_exportorimport_tab"}) {
        w->Require<Control>(QString::fromLatin1(name));
    }
    if (const auto* edit =
            w->WidgetOf<QLineEdit>(w->Require<Edit>(QStringLiteral("ms_1_macro_name_edit")))) {
        EXPECT_EQ(edit->maxLength(), 23);
    }

    auto row = Open(QStringLiteral("keylistitem.xml"));
    for (const char* part : {"key", "action", "delay"}) {
        row->Require<Label>(QString::fromLatin1(part));
    }
}

// Every panel the editor can show, in every language: the mouse-click panel instead of the
// name, and both pages of the edit pane.
TEST(MacroEditorLayout, TextsFitInEveryLanguage) {
    const char* file = "MS/MS_1/ms_1_macropage.xml";
    for (const char* language : kLanguages) {
        for (int page : {1, 2}) {
            auto w = Open(QString::fromLatin1(file), language);
            const bool mousePanel = page == 2;
            w->Require<Control>(QStringLiteral("ms_1_macro_mouse_event_tab"))
                .SetVisible(mousePanel);
            w->Require<Control>(QStringLiteral("ms_1_macro_name_tab")).SetVisible(!mousePanel);
            w->Require<TabLayout>(QStringLiteral("ms_1_macro_action_edit_tab")).SelectPage(page);
            w->Require<CheckBox>(QStringLiteral("ms_1_macro_record_btn"))
                .SetTextKey(QStringLiteral("stop_recording_text"));
            QWidget* root = w->RootWidget();
            root->show();
            root->layout()->activate();
            for (QWidget* widget : root->findChildren<QWidget*>()) {
                if (widget->isVisibleTo(root)) {
                    widget->ensurePolished();
                    ExpectFits(widget, file, language);
                }
            }
        }
    }
}

}  // namespace
