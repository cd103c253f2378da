#include "macro/dialogs/select_macro_wnd.h"

#include <algorithm>

#include "macro/macro_store.h"

namespace {
constexpr int kRowHeight = 29;
constexpr int kModeCount = 3;
constexpr int kMinCount = 1;
constexpr int kMaxCount = 255;
}  // namespace

CMS_1_SelectMacro::CMS_1_SelectMacro(const MacroStore& store, int selectedIndex, int repeatMode,
                                     int repeatCount)
    : store_(store),
      selectedIndex_(selectedIndex),
      repeatMode_(repeatMode >= 0 && repeatMode < kModeCount ? repeatMode : 0),
      repeatCount_(std::clamp(repeatCount, kMinCount, kMaxCount)) {}

int CMS_1_SelectMacro::CountOfText(const QString& digits) {
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok);
    if (!ok) {
        // Empty, or more digits than any number holds: a long run of digits is a large number.
        return digits.isEmpty() ? kMinCount : kMaxCount;
    }
    return static_cast<int>(std::clamp<qulonglong>(value, kMinCount, kMaxCount));
}

void CMS_1_SelectMacro::InitWindow() {
    ok_ = Find<Button>(QStringLiteral("btn_ok"));
    cancel_ = Find<Button>(QStringLiteral("btn_cancel"));
    exit_ = Find<Button>(QStringLiteral("btn_exit"));
    list_ = Find<ListBox>(QStringLiteral("list_macro"));
    for (int k = 0; k < kModeCount; ++k) {
        modes_[static_cast<std::size_t>(k)] = Find<Option>(QStringLiteral("repeat_%d"), k + 1);
    }
    countPanel_ = Find<Control>(QStringLiteral("hor_loop_time"));
    countBox_ = Find<Edit>(QStringLiteral("edit_loop_time"));
    emptyHint_ = FindOptional<Label>(QStringLiteral("label_no_macro"));

    for (int i = 0; i < store_.Count(); ++i) {
        list_.AddLabel(store_.NameAt(i), kRowHeight);
    }
    emptyHint_.SetVisible(store_.Count() == 0);
    modes_[static_cast<std::size_t>(repeatMode_)].Select(Notify::kNo);
    countPanel_.SetVisible(repeatMode_ == 0);
    // A stale index selects whatever row has it now, or nothing.
    list_.Select(selectedIndex_, TakeFocus::kNo, Notify::kNo);
    countBox_.SetText(QString::number(repeatCount_));
    UpdateOk();
}

void CMS_1_SelectMacro::SelectMode(int mode) {
    repeatMode_ = mode;
    countPanel_.SetVisible(mode == 0);
}

// Only the digits 0-9 stay; the caret goes to the end of what is left.
void CMS_1_SelectMacro::FilterCountText() {
    const QString text = countBox_.Text();
    QString digits;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits += c;
        }
    }
    if (digits != text) {
        countBox_.SetText(digits);
        countBox_.MoveCaretToEnd();
    }
}

void CMS_1_SelectMacro::TakeCount() {
    repeatCount_ = CountOfText(countBox_.Text());
    if (countBox_.Text() != QString::number(repeatCount_)) {
        countBox_.SetText(QString::number(repeatCount_));
    }
}

// OK binds a macro; with none selected it would close without doing anything.
void CMS_1_SelectMacro::UpdateOk() {
    ok_.SetEnabled(selectedIndex_ >= 0 && selectedIndex_ < store_.Count());
}

void CMS_1_SelectMacro::Notify(const Notification& n) {
    if (n.Is("click")) {
        OnClick(n);
    } else if (n.Is("itemselect") && n.sender == list_) {
        selectedIndex_ = static_cast<int>(static_cast<qintptr>(n.wParam));
        UpdateOk();
    } else if (n.Is("selectchanged")) {
        for (int k = 0; k < kModeCount; ++k) {
            if (n.sender == modes_[static_cast<std::size_t>(k)]) {
                SelectMode(k);
            }
        }
    } else if (n.Is("textchanged") && n.sender == countBox_) {
        FilterCountText();
    } else if (n.Is("killfocus") && n.sender == countBox_) {
        TakeCount();
    }
}

void CMS_1_SelectMacro::OnClick(const Notification& n) {
    if (n.sender == ok_) {
        // A count typed and confirmed without leaving the box counts too.
        TakeCount();
        Close(1);
    } else if (n.sender == cancel_ || n.sender == exit_) {
        Close(0);
    }
}
