// Shared pieces of the UI library tests: the application, a window over the test layout, a
// virtual window that records what it receives.
#pragma once

#include <QList>
#include <QtTest/QTest>
#include <functional>
#include <tuple>
#include <vector>

#include "ui/language_manager.h"
#include "ui/notify_pump.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

inline void EnsureUiApp() {
    static int argc = 1;
    static char name[] = "talvore_ui_test";
    static char* argv[] = {name, nullptr};
    static UiApplication* app = [] {
        auto* created = new UiApplication(argc, argv);
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/tests/ui/data"));
        return created;
    }();
    (void)app;
    LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml"));
}

struct Message {
    unsigned message;
    quintptr wParam;
    qintptr lParam;
};

class TestWindow : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return className; }
    QString GetSkinFile() const override { return skinFile; }

    QString className = QStringLiteral("TestWnd");
    QString skinFile = QStringLiteral("window.xml");
    std::vector<Notification> notes;
    std::vector<Message> messages;
    int initCount = 0;
    int destroyCount = 0;
    std::function<void(const Notification&)> onNotify;
    std::function<void(unsigned, quintptr, qintptr)> onMessage;

    std::vector<Notification> NotesOf(const char* type) const {
        std::vector<Notification> out;
        for (const Notification& n : notes) {
            if (n.Is(type)) {
                out.push_back(n);
            }
        }
        return out;
    }

protected:
    void InitWindow() override { ++initCount; }
    void Notify(const Notification& n) override {
        notes.push_back(n);
        if (onNotify) {
            onNotify(n);
        }
        WindowImplBase::Notify(n);
    }
    qintptr HandleCustomMessage(unsigned message, quintptr wParam, qintptr lParam,
                                bool& handled) override {
        messages.push_back({message, wParam, lParam});
        if (onMessage) {
            onMessage(message, wParam, lParam);
        }
        handled = true;
        return static_cast<qintptr>(message) + 1;
    }
    void OnDestroy() override { ++destroyCount; }
};

// A virtual window with a route for each type it is given.
class RecordingPump : public CNotifyPump {
public:
    explicit RecordingPump(std::initializer_list<const char*> types) {
        for (const char* type : types) {
            Route(QLatin1String(type), [this](const Notification& n) { got.push_back(n); });
        }
    }
    std::vector<Notification> got;
};
