// The base of every window: built from a Qt Designer layout of the skin folder, controls found
// by name, notifications, window messages and timers, modal runs.
//
//   class CMsgWnd : public WindowImplBase {
//       QString GetWindowClassName() const override { return "MsgWnd"; }
//       QString GetSkinFile() const override { return "msg.xml"; }
//       void InitWindow() override { title_ = Find<Label>("warning_title"); ... }
//       void Notify(const Notification& n) override {
//           if (n.Is("click") && n.sender == ok_) Close(1);
//       }
//   };
//   CMsgWnd box; box.Create(&mainWnd); box.CenterWindow(); int r = box.ShowModal();
//
// Everything here runs on the UI thread except PostMessage, SendMessage and Poster().
#pragma once

#include <QHash>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

#include "ui/control.h"
#include "ui/controls.h"
#include "ui/message_poster.h"
#include "ui/messages.h"
#include "ui/notification.h"
#include "ui/notify_pump.h"

class QWidget;
class QEventLoop;
class WindowHost;

// Style flags for Create.
enum WindowStyle : unsigned {
    kWindowCaption = 1u << 0,     // a title bar from the desktop; without it the window is bare
    kWindowToolWindow = 1u << 1,  // no task-bar entry
    kWindowTopMost = 1u << 2,
    kWindowNoActivate = 1u << 3,  // showing it does not take the focus
    // A notification bubble: the X11 window type _NET_WM_WINDOW_TYPE_NOTIFICATION, so window
    // managers neither decorate nor focus it and keep it where it puts itself.
    kWindowNotification = 1u << 4,
    // A popup of its owner (a Wayland subsurface popup, an X11 override-redirect window): never
    // takes the focus and is placed relative to its owner, also where windows cannot place
    // themselves.
    kWindowTip = 1u << 5,
};

class WindowImplBase {
public:
    WindowImplBase();
    virtual ~WindowImplBase();
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    virtual QString GetWindowClassName() const = 0;
    // The layout file, relative to the skin folder ("msg.xml", "MS/MS_1/selectmacro.xml").
    virtual QString GetSkinFile() const = 0;

    // Builds the window from its layout, then runs InitWindow. An owned window stays above its
    // owner. `rect` (screen coordinates) overrides the layout's size when valid. False (with a
    // critical log line) when the layout cannot be built.
    bool Create(WindowImplBase* owner, unsigned style = 0, const QRect& rect = {});
    bool IsWindow() const;
    WindowImplBase* Owner() const { return owner_; }

    void CenterWindow();
    void ShowWindow(bool show = true, bool activate = true);
    bool IsVisible() const;
    void Minimize();
    bool IsMinimized() const;
    // Shows it if hidden, restores it if minimised and raises it.
    void BringToFront();
    void MoveWindow(const QRect& screenRect);
    QRect ScreenRect() const;
    // The primary screen's area without panels.
    static QRect WorkArea();
    void SetWindowTitle(const QString& title);
    QString WindowTitle() const;
    // An image of the skin folder as the window's icon.
    void SetIcon(const QString& imageFile);

    // Shows the window modal and returns the result given to Close. With the test hook active,
    // a scripted answer is taken instead (ui/test_hook.h).
    int ShowModal();
    // Ends a modal run with `result` and destroys the window. Closing from the desktop (the
    // title bar's close button) gives 0.
    void Close(int result = 1);
    // Destroys the window: OnDestroy, message 2 to HandleCustomMessage, then, once control is
    // back in the event loop, the widgets are freed and OnFinalMessage runs (not when the object
    // itself was deleted first, as dialogs on the stack are).
    void Destroy();

    // Controls by name. A missing control, or one of another kind, is a layout error: a
    // critical log line names the window, its layout and the control; debug builds stop there;
    // release builds go on with a null handle.
    template <class T>
    T Find(const QString& name) const {
        return T(FindWidget(name, &T::Accepts, T::kKind, true));
    }
    // Numbered families: Find<Option>("ms_1_option_dpi_step_%d", k).
    template <class T>
    T Find(const QString& pattern, int number) const {
        return Find<T>(FormatName(pattern, number));
    }
    // For controls a layout may leave out: a null handle without any report.
    template <class T>
    T FindOptional(const QString& name) const {
        return T(FindWidget(name, &T::Accepts, T::kKind, false));
    }
    static QString FormatName(const QString& pattern, int number);

    // Window timers: message 275 with wParam = id, repeating until killed. Setting an id that
    // runs restarts it with the new period.
    void SetTimer(unsigned id, int milliseconds);
    void KillTimer(unsigned id);
    bool HasTimer(unsigned id) const;
    int TimerInterval(unsigned id) const;  // -1 when the timer does not run
    // Control timers: a "timer" notification from the control with wParam = id, delivered to
    // the control's receiver. They end with the control.
    void SetTimer(const Control& control, unsigned id, int milliseconds);
    void KillTimer(const Control& control, unsigned id);

    // Thread-safe. Post queues the message; Send waits until it has been handled.
    void PostMessage(unsigned message, quintptr wParam = 0, qintptr lParam = 0);
    qintptr SendMessage(unsigned message, quintptr wParam = 0, qintptr lParam = 0);
    MessagePoster Poster() const { return MessagePoster(target_); }

    // Virtual windows: notifications of controls tagged with `name` go to the pump's routes.
    void AddVirtualWindow(const QString& name, CNotifyPump* pump);
    void RemoveVirtualWindow(const QString& name);

    // Re-reads the text of every control that holds a language key.
    void ReloadTexts();

    // For the library and tests: the top-level widget, and the window a widget belongs to.
    QWidget* RootWidget() const;
    static WindowImplBase* FromWidget(const QWidget* widget);

    // Runs the window's notification handling for `n`; the library calls this for every
    // control event.
    void DispatchNotify(Notification& n);
    // Runs HandleCustomMessage on the UI thread now.
    qintptr DeliverMessage(unsigned message, quintptr wParam, qintptr lParam);

protected:
    // After the layout has been built.
    virtual void InitWindow() {}
    // Every notification of the window's controls. The base sends notifications of virtual
    // windows to their pumps and "click" to OnClick.
    virtual void Notify(const Notification& n);
    virtual void OnClick(const Notification& n);
    // Window messages and timer messages. Set `handled` when the message was taken.
    virtual qintptr HandleCustomMessage(unsigned message, quintptr wParam, qintptr lParam,
                                        bool& handled);
    // The window is being destroyed (its controls still exist).
    virtual void OnDestroy() {}
    // The window's widgets are gone; windows that free themselves delete themselves here.
    virtual void OnFinalMessage() {}

private:
    friend class WindowHost;
    QWidget* FindWidget(const QString& name, bool (*accepts)(const QWidget*), const char* kind,
                        bool required) const;
    void WireControls(QWidget* root);
    void TakeWheelOnlyWithFocus(QWidget* control);
    void ReleaseWidgets();

    std::shared_ptr<PostTarget> target_;
    std::unique_ptr<WindowHost> host_;
    QPointer<QObject> root_;
    WindowImplBase* owner_ = nullptr;
    QHash<QString, CNotifyPump*> virtualWindows_;
    QEventLoop* modalLoop_ = nullptr;
    std::optional<int> closeResult_;
    bool destroying_ = false;
};
