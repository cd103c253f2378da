#include "macro/editor/macro_recorder.h"

#include <algorithm>

#include <QLoggingCategory>

#include "macro/editor/hook_input.h"
#include "sys/clock.h"

Q_LOGGING_CATEGORY(lcRecorder, "talvore.macro.recorder")

LastHookInput& ProgramLastHookInput() {
    static LastHookInput last;
    return last;
}

void MacroRecorder::Begin(uint16_t defaultDelay) {
    if (buffer_.selectedAction < 0) {
        buffer_.Empty();
        buffer_.insertPos = buffer_.insertStart = -1;
        buffer_.insertMode = false;
    } else {
        buffer_.insertPos = buffer_.insertStart =
            std::min(buffer_.selectedAction + 1, buffer_.actionCount);
        buffer_.insertMode = true;
    }
    Start(defaultDelay);
}

void MacroRecorder::Start(uint16_t defaultDelay) {
    buffer_.recording = true;
    buffer_.timing = true;
    buffer_.defaultDelay = defaultDelay;
    buffer_.routeToRecorder = true;
    buffer_.routeToKeyEdit = false;
    last_.timeMs = clock_.NowMs();
    blockStart_ = buffer_.insertPos == -1 ? buffer_.actionCount : buffer_.insertPos;
    recorded_ = 0;
}

int MacroRecorder::Stop() {
    last_.timeMs = 0;
    const bool wasRecording = buffer_.recording;
    buffer_.recording = false;
    buffer_.timing = false;
    if (!wasRecording) {
        return 0;
    }
    const int end = std::min(blockStart_ + recorded_, buffer_.actionCount);
    int dropped = 0;
    for (int i = end - 1; i >= blockStart_; --i) {
        const MacroAction& press = buffer_.actions[static_cast<std::size_t>(i)];
        if (press.kind != kActionPress) {
            continue;
        }
        bool released = false;
        for (int k = i + 1; k < end - dropped && !released; ++k) {
            const MacroAction& later = buffer_.actions[static_cast<std::size_t>(k)];
            released = later.kind == kActionRelease && later.code == press.code;
        }
        if (!released) {
            RemoveAction(i);
            ++dropped;
        }
    }
    recorded_ -= dropped;
    if (dropped > 0 && recorded_ > 0) {
        // The recording's last action waits the shortest time again, as when it was recorded.
        buffer_.actions[static_cast<std::size_t>(blockStart_ + recorded_ - 1)].delay =
            kShortestDelayMs;
    }
    if (dropped > 0) {
        qCDebug(lcRecorder) << "dropped" << dropped << "presses left without their release";
    }
    return dropped;
}

void MacroRecorder::RemoveAction(int index) {
    std::copy(buffer_.actions.begin() + index + 1, buffer_.actions.begin() + buffer_.actionCount,
              buffer_.actions.begin() + index);
    --buffer_.actionCount;
    buffer_.actions[static_cast<std::size_t>(buffer_.actionCount)] = MacroAction{};
    if (buffer_.insertPos > index) {
        --buffer_.insertPos;
    }
    if (buffer_.selectedAction >= index) {
        buffer_.selectedAction = std::max(buffer_.selectedAction - 1, -1);
    }
    buffer_.selectedAction = std::min(buffer_.selectedAction, buffer_.actionCount - 1);
}

bool MacroRecorder::IsFull() const {
    return buffer_.IsFull() || buffer_.Cost() >= kMacroCostRecordStop;
}

MacroRecorder::Outcome MacroRecorder::OnKeyEvent(uint64_t wParam, int64_t lParam) {
    if (!buffer_.recording) {
        return Outcome::kIgnored;
    }
    // A held key reports its press again and again; pairs alternate, so none is lost.
    if (wParam == last_.message && lParam == last_.param) {
        return Outcome::kIgnored;
    }
    last_.message = wParam;
    last_.param = lParam;
    qCDebug(lcRecorder, "iTotalNum = %d", buffer_.Cost());
    if (IsFull()) {
        return Outcome::kFull;
    }
    MacroAction action = ActionOfHookInput(wParam, lParam, layout_);

    // The delay belongs to the action before this one: it is the wait after it.
    if (buffer_.timing) {
        const uint64_t now = clock_.NowMs();
        uint16_t delay = kShortestDelayMs;
        if (buffer_.delayMode == DelayMode::kRecorded) {
            const uint64_t elapsed = now > last_.timeMs ? now - last_.timeMs : 0;
            delay = static_cast<uint16_t>(std::min<uint64_t>(elapsed, kLongestDelayMs));
        } else if (buffer_.delayMode == DelayMode::kDefault) {
            delay = buffer_.defaultDelay;
        }
        // Appending: the last action. Inserting: the action before the insertion point, which
        // for the first action of a recording is the selected row it follows.
        const int previous =
            buffer_.insertPos == -1 ? buffer_.actionCount - 1 : buffer_.insertPos - 1;
        if (buffer_.IsAction(previous)) {
            buffer_.actions[static_cast<std::size_t>(previous)].delay = delay;
        }
    }
    // The newest action waits the shortest time until a following one replaces it.
    action.delay = kShortestDelayMs;
    const int before = buffer_.actionCount;
    buffer_.InsertAction(action);
    recorded_ += buffer_.actionCount - before;
    last_.timeMs = clock_.NowMs();
    buffer_.timing = true;
    return IsFull() ? Outcome::kFull : Outcome::kRecorded;
}

bool MacroRecorder::InsertMouseClick(int button, uint16_t delay) {
    const uint8_t code = MouseClickCode(button);
    if (code == 0 || buffer_.IsFull()) {
        return false;
    }
    buffer_.insertMode = true;
    buffer_.insertPos = std::min(buffer_.selectedAction + 1, buffer_.actionCount);
    if (buffer_.actionCount + 2 > kMacroMaxActions) {
        return false;
    }
    buffer_.InsertAction({code, kActionPress, delay});
    buffer_.InsertAction({code, kActionRelease, delay});
    return true;
}
