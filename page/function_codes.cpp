#include "page/function_codes.h"

#include <array>

namespace {

struct FunctionInfo {
    uint8_t code;
    const char* textKey;
    const char* menuItem;  // nullptr: no menu offers it
};

constexpr std::array<FunctionInfo, 59> kFunctions = {{
    {0x00, "button_off_text", "ms_1_button_off"},
    {0x01, "left_click_text", "ms_1_click"},
    {0x02, "right_click_text", "ms_1_menu"},
    {0x03, "wheel_click_text", "ms_1_scroll"},
    {0x04, "forward_text", "ms_1_forward"},
    {0x05, "backward_text", "ms_1_backward"},
    {0x06, "dpi_cycle_text", "ms_1_dpi_cycle"},
    {0x07, "dpi_up_text", "ms_1_dpi_up"},
    {0x08, "dpi_down_text", "ms_1_dpi_down"},
    {0x09, "double_click_text", "ms_1_double_click"},
    {0x0A, "fire_button_text", "ms_1_fire_button"},
    {0x0B, "scroll_up_text", "ms_1_scroll_up"},
    {0x0C, "scroll_down_text", "ms_1_scroll_down"},
    {0x0D, "titl_left_text", "ms_1_titl_left"},
    {0x0E, "titl_right_text", "ms_1_titl_right"},
    {0x10, nullptr, "ms_1_shortcut"},      // label composed from the key combination
    {0x11, nullptr, "ms_1_select_macro"},  // label composed from the macro name
    {0x16, "easy_aim_text", "ms_1_easy_aim"},
    {0x17, "led_loop_text", "ms_1_led_loop"},
    {0x20, "cut_text", "ms_1_cut"},
    {0x21, "copy_text", "ms_1_copy"},
    {0x22, "paste_text", "ms_1_paste"},
    {0x23, "open_text", "ms_1_open"},
    {0x24, "save_text", "ms_1_save"},
    {0x25, "find_text", "ms_1_find"},
    {0x26, "redo_text", "ms_1_redo"},
    {0x27, "undo_text", nullptr},
    {0x28, "select_all_text", "ms_1_select_all"},
    {0x29, "print_text", "ms_1_print"},
    {0x2A, "close_window_text", "ms_1_close_window"},
    {0x2B, "swap_windows_text", "ms_1_swap_windows"},
    {0x2C, "show_desktop_text", "ms_1_show_desktop"},
    {0x2D, "run_command_text", "ms_1_run_command"},
    {0x2E, "lock_pc_text", "ms_1_lock_pc"},
    {0x30, "zoom_in_text", "ms_1_zoom_in"},
    {0x31, "zoom_out_text", "ms_1_zoom_out"},
    {0x32, "screen_capture_text", "ms_1_screen_capture"},
    {0x33, "task_view_text", "ms_1_task_view"},
    {0x36, "profile_cycle_text", nullptr},
    {0x37, "profile_up_text", nullptr},
    {0x38, "profile_down_text", nullptr},
    {0x40, "media_player_text", "ms_1_media_player"},
    {0x41, "play_pause_text", "ms_1_play_pause"},
    {0x42, "media_stop_text", "ms_1_media_stop"},
    {0x43, "previous_track_text", "ms_1_pre_track"},
    {0x44, "next_track_text", "ms_1_next_track"},
    {0x45, "volume_up_text", "ms_1_volume_up"},
    {0x46, "volume_down_text", "ms_1_volume_down"},
    {0x47, "mute_text", "ms_1_mute"},
    {0x50, "browser_home_text", "ms_1_browser_home"},
    {0x51, "browser_favorites_text", "ms_1_browser_favorites"},
    {0x52, "browser_forward_text", "ms_1_browser_forward"},
    {0x53, "browser_backward_text", "ms_1_browser_backward"},
    {0x54, "browser_stop_text", "ms_1_browser_stop"},
    {0x55, "browser_refresh_text", "ms_1_browser_refresh"},
    {0x56, "browser_search_text", "ms_1_browser_search"},
    {0x57, "email_text", "ms_1_email"},
    {0x58, "calculator_text", "ms_1_calculator"},
    {0x59, "my_computer_text", "ms_1_my_computer"},
}};

}  // namespace

QString FunctionTextKey(uint8_t code) {
    for (const FunctionInfo& f : kFunctions) {
        if (f.code == code) {
            return f.textKey != nullptr ? QString::fromLatin1(f.textKey) : QString();
        }
    }
    return QString();
}

std::optional<uint8_t> FunctionOfMenuItem(const QString& itemName) {
    for (const FunctionInfo& f : kFunctions) {
        if (f.menuItem != nullptr &&
            itemName.compare(QLatin1String(f.menuItem), Qt::CaseInsensitive) == 0) {
            return f.code;
        }
    }
    return std::nullopt;
}

QString MenuItemOfFunction(uint8_t code) {
    for (const FunctionInfo& f : kFunctions) {
        if (f.code == code) {
            return f.menuItem != nullptr ? QString::fromLatin1(f.menuItem) : QString();
        }
    }
    return QString();
}
