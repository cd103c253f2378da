#include "macro/editor/action_rows.h"

#include "macro/editor/hook_input.h"
#include "macro/editor/macro_edit_buffer.h"
#include "macro/key_table.h"

namespace {
constexpr char kKeyImage[] = "res='skins/keyboard_key_action.png' dest='5,6,35,24'";
constexpr char kMouseImage[] = "res='skins/mouse.png' dest='2,2,28,28'";
constexpr char kPressImage[] = "res='skins/macro_key_down.png' dest='5,6,21,24'";
constexpr char kReleaseImage[] = "res='skins/macro_key_up.png' dest='5,6,21,24'";
}  // namespace

void ActionRows::Rebuild(const MacroAction* actions, int count) {
    list_.RemoveAll();
    for (int i = 0; i < count; ++i) {
        Fill(list_.AddRow(QLatin1String(kActionRowLayout), kActionRowHeight), actions[i],
             i == count - 1);
    }
}

void ActionRows::Redraw(int index, const MacroAction& action, int count) {
    Fill(list_.Row(index), action, index == count - 1);
}

QString ActionRows::DelayText(const MacroAction& action, bool last) {
    return QString::number(last ? kShortestDelayMs : action.delay);
}

void ActionRows::Fill(const Control& row, const MacroAction& action, bool last) const {
    if (row.IsNull()) {
        return;
    }
    Label key = row.FindChild<Label>(QStringLiteral("key"));
    key.SetText(UsageToKeyName(action.code, layout_, texts_));
    key.SetBkImage(QLatin1String(IsMouseButtonCode(action.code) ? kMouseImage : kKeyImage));
    Label kind = row.FindChild<Label>(QStringLiteral("action"));
    const bool press = action.kind == kActionPress;
    kind.SetTextKey(QLatin1String(press ? "key_down_action" : "key_up_action"));
    kind.SetBkImage(QLatin1String(press ? kPressImage : kReleaseImage));
    row.FindChild<Label>(QStringLiteral("delay")).SetText(DelayText(action, last));
}
