#include "ui/test_hook.h"

#include <QHash>
#include <QLoggingCategory>
#include <QQueue>

namespace {
Q_LOGGING_CATEGORY(lcTestHook, "talvore.ui.testhook")

struct HookState {
    bool enabled = false;
    QHash<QString, QQueue<TestHook::ModalScript>> modals;
    QQueue<QString> filePaths;
    QStringList modalRuns;
    QList<FileDialogRequest> fileRequests;
};

HookState& State() {
    static HookState state;
    return state;
}
}  // namespace

void TestHook::Enable() {
    State().enabled = true;
}

void TestHook::Disable() {
    State() = HookState();
}

bool TestHook::IsEnabled() {
    return State().enabled;
}

void TestHook::ScriptModal(const QString& className, int result, ModalAction act) {
    State().modals[className].enqueue(ModalScript{result, std::move(act)});
}

void TestHook::ScriptFileDialog(const QString& path) {
    State().filePaths.enqueue(path);
}

QStringList TestHook::ModalRuns() {
    return State().modalRuns;
}

QList<FileDialogRequest> TestHook::FileDialogRequests() {
    return State().fileRequests;
}

std::optional<TestHook::ModalScript> TestHook::TakeModal(const QString& className) {
    HookState& state = State();
    if (!state.enabled) {
        return std::nullopt;
    }
    state.modalRuns.append(className);
    auto it = state.modals.find(className);
    if (it == state.modals.end() || it->isEmpty()) {
        qCCritical(lcTestHook).noquote() << "unscripted modal run of" << className;
        return ModalScript{-1, {}};
    }
    return it->dequeue();
}

std::optional<QString> TestHook::TakeFileDialog(const FileDialogRequest& request) {
    HookState& state = State();
    if (!state.enabled) {
        return std::nullopt;
    }
    state.fileRequests.append(request);
    if (state.filePaths.isEmpty()) {
        qCCritical(lcTestHook) << "unscripted file dialog";
        return QString();
    }
    return state.filePaths.dequeue();
}
