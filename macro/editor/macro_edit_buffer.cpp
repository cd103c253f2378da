#include "macro/editor/macro_edit_buffer.h"

#include <algorithm>

#include "macro/macro_store.h"

uint16_t ClampDelay(long long milliseconds) {
    return static_cast<uint16_t>(
        std::clamp<long long>(milliseconds, kShortestDelayMs, kLongestDelayMs));
}

void MacroEditBuffer::Load(const MacroRecord& record) {
    actionCount = UsableActionCount(record);
    std::copy(std::begin(record.actions), std::end(record.actions), actions.begin());
    if (actionCount == 0) {
        selectedAction = -1;
    }
}

void MacroEditBuffer::Empty() {
    actions.fill(MacroAction{});
    actionCount = 0;
}

void MacroEditBuffer::InsertAction(const MacroAction& action) {
    if (IsFull()) {
        return;
    }
    const int at = insertPos != -1 ? std::clamp(insertPos, 0, actionCount) : actionCount;
    std::copy_backward(actions.begin() + at, actions.begin() + actionCount,
                       actions.begin() + actionCount + 1);
    actions[static_cast<std::size_t>(at)] = action;
    ++actionCount;
    ++selectedAction;
    if (insertPos != -1) {
        insertPos = at + 1;
    }
}

bool MacroEditBuffer::MoveUp(int index) {
    if (index < 1 || index >= actionCount) {
        return false;
    }
    std::swap(actions[static_cast<std::size_t>(index - 1)],
              actions[static_cast<std::size_t>(index)]);
    selectedAction = index - 1;
    return true;
}

bool MacroEditBuffer::MoveDown(int index) {
    if (index < 0 || index >= actionCount - 1) {
        return false;
    }
    std::swap(actions[static_cast<std::size_t>(index)],
              actions[static_cast<std::size_t>(index + 1)]);
    selectedAction = index + 1;
    return true;
}

bool MacroEditBuffer::Delete(int index) {
    if (!IsAction(index)) {
        return false;
    }
    std::copy(actions.begin() + index + 1, actions.begin() + actionCount, actions.begin() + index);
    --actionCount;
    actions[static_cast<std::size_t>(actionCount)] = MacroAction{};
    selectedAction = std::min(index, actionCount - 1);
    return true;
}

void MacroEditBuffer::Clear() {
    Empty();
    insertMode = false;
    insertPos = -1;
    selectedAction = -1;
}

bool MacroEditBuffer::SetDelay(int index, uint16_t delay) {
    if (!IsAction(index) || IsLastAction(index)) {
        return false;
    }
    actions[static_cast<std::size_t>(index)].delay = delay;
    return true;
}

bool MacroEditBuffer::SetCode(int index, uint8_t code) {
    if (!IsAction(index)) {
        return false;
    }
    actions[static_cast<std::size_t>(index)].code = code;
    return true;
}

int MacroEditBuffer::PartnerOf(int index) const {
    if (!IsAction(index)) {
        return -1;
    }
    const MacroAction& action = actions[static_cast<std::size_t>(index)];
    const uint8_t wanted = action.kind == kActionPress ? kActionRelease : kActionPress;
    const int step = action.kind == kActionPress ? 1 : -1;
    for (int k = index + step; IsAction(k); k += step) {
        const MacroAction& other = actions[static_cast<std::size_t>(k)];
        if (other.code != action.code) {
            continue;
        }
        if (other.kind == wanted) {
            return k;
        }
        if (other.kind == action.kind) {
            return -1;  // pressed again (or released again) first: this one has no partner
        }
    }
    return -1;
}

int MacroEditBuffer::SetCodeOfPair(int index, uint8_t code, bool* changed) {
    const int partner = PartnerOf(index);
    const bool applies = SetCode(index, code);
    if (changed != nullptr) {
        *changed = applies;
    }
    if (applies && partner >= 0) {
        SetCode(partner, code);
    }
    return applies ? partner : -1;
}
