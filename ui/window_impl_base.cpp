#include "ui/window_impl_base.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QThread>
#include <QVariant>
#include <QWidget>

#include "ui/color_palette.h"
#include "ui/post_target.h"
#include "ui/skin_reading.h"
#include "ui/test_hook.h"
#include "ui/title_drag.h"
#include "ui/ui_application.h"
#include "ui/ui_internal.h"
#include "ui/window_host.h"
#include "ui/window_registry.h"
#include "ui/x11_window_type.h"

namespace {
Q_LOGGING_CATEGORY(lcWindow, "talvore.ui.window")

constexpr const char* kWindowProperty = "talvoreWindow";
constexpr const char* kVirtualWindowProperty = "virtualWindow";
constexpr const char* kGroupProperty = "group";

QButtonGroup* GroupOf(QWidget* root, const QString& name) {
    const QString objectName = QStringLiteral("talvore-option-group:") + name;
    auto* group = root->findChild<QButtonGroup*>(objectName, Qt::FindDirectChildrenOnly);
    if (group == nullptr) {
        group = new QButtonGroup(root);
        group->setObjectName(objectName);
        group->setExclusive(true);
    }
    return group;
}

// Enter in an edit box presses the window's default button, as it would in a desktop dialog.
void PressDefaultButton(QWidget* root, const QWidget* edit) {
    const QList<QPushButton*> buttons = root->findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->isDefault() && button->isEnabled() && button->isVisibleTo(root) &&
            button->window() == edit->window()) {
            button->click();
            return;
        }
    }
}
}  // namespace

WindowImplBase::WindowImplBase()
    : target_(std::make_shared<PostTarget>()), host_(std::make_unique<WindowHost>(this)) {
    target_->window = this;
    target_->host = host_.get();
}

WindowImplBase::~WindowImplBase() {
    {
        const std::lock_guard lock(target_->mutex);
        target_->window = nullptr;
        target_->host = nullptr;
    }
    ReleaseWidgets();
}

void WindowImplBase::ReleaseWidgets() {
    if (host_) {
        host_->KillAllTimers();
    }
    delete root_.data();
}

bool WindowImplBase::Create(WindowImplBase* owner, unsigned style, const QRect& rect) {
    if (root_) {
        qCWarning(lcWindow).noquote() << GetWindowClassName() << "is already created";
        return false;
    }
    QString error;
    QWidget* root = ui_internal::LoadLayout(GetSkinFile(), nullptr, &error);
    if (root == nullptr) {
        qCCritical(lcWindow).noquote() << "window" << GetWindowClassName() << ":" << error;
        return false;
    }
    Qt::WindowFlags flags = owner != nullptr ? Qt::Dialog : Qt::Window;
    if ((style & kWindowToolWindow) != 0) {
        flags = Qt::Tool;
    }
    if ((style & kWindowCaption) == 0) {
        flags |= Qt::FramelessWindowHint;
    }
    if ((style & kWindowTopMost) != 0) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    if ((style & kWindowTip) != 0) {
        flags = Qt::ToolTip;
    }
    if ((style & kWindowNoActivate) != 0) {
        flags |= Qt::WindowDoesNotAcceptFocus;
        root->setAttribute(Qt::WA_ShowWithoutActivating);
    }

    root->setParent(owner != nullptr ? owner->RootWidget() : nullptr, flags);
    // The first window of a run takes the theme now that its layout is complete.
    UiApplication::ApplyPendingTheme();
    root->setProperty(kWindowProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    if (rect.isValid()) {
        root->setGeometry(rect);
    }
    if ((style & kWindowNotification) != 0) {
        MarkAsX11Notification(root);
    }
    root_ = root;
    owner_ = owner;
    destroying_ = false;
    closeResult_.reset();
    root->installEventFilter(host_.get());
    if ((style & kWindowCaption) == 0) {
        TitleDrag::Attach(root);  // the window draws its own title: dragging it moves the window
    }
    ui_internal::ApplyTextKeys(root);
    WireControls(root);
    ui_internal::RegisterTextRoot(root);
    InitWindow();
    return true;
}

bool WindowImplBase::IsWindow() const {
    return !root_.isNull() && !destroying_;
}

QWidget* WindowImplBase::RootWidget() const {
    return static_cast<QWidget*>(root_.data());
}

WindowImplBase* WindowImplBase::FromWidget(const QWidget* widget) {
    if (widget == nullptr) {
        return nullptr;
    }
    // Row widgets of a list sit in the list's viewport, so the top-level widget is the window.
    const QVariant v = widget->window()->property(kWindowProperty);
    return v.isValid() ? reinterpret_cast<WindowImplBase*>(v.value<quintptr>()) : nullptr;
}

// A wheel turned over a slider or combo box that was not clicked first scrolls what holds it
// instead of changing a setting the user did not mean to touch (the host passes it on).
void WindowImplBase::TakeWheelOnlyWithFocus(QWidget* control) {
    if (control->focusPolicy() == Qt::WheelFocus) {
        control->setFocusPolicy(Qt::StrongFocus);  // the wheel itself must not give it the focus
    }
    control->installEventFilter(host_.get());
}

void WindowImplBase::WireControls(QWidget* root) {
    const QList<QWidget*> widgets = root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        using ui_internal::RaiseNotify;
        if (auto* option = qobject_cast<QRadioButton*>(w)) {
            const QString group = option->property(kGroupProperty).toString();
            if (!group.isEmpty()) {
                GroupOf(root, group)->addButton(option);
            }
            // Only the newly selected option reports, never the one it replaced.
            QObject::connect(option, &QAbstractButton::toggled, option, [option](bool on) {
                if (on) {
                    RaiseNotify(option, "selectchanged", 1);
                }
            });
            option->installEventFilter(host_.get());
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            QObject::connect(check, &QAbstractButton::clicked, check,
                             [check](bool on) { RaiseNotify(check, "checkclick", on ? 1 : 0); });
            check->installEventFilter(host_.get());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            QObject::connect(button, &QAbstractButton::clicked, button,
                             [button] { RaiseNotify(button, "click"); });
            button->installEventFilter(host_.get());
        } else if (auto* slider = qobject_cast<QSlider*>(w)) {
            QObject::connect(slider, &QSlider::valueChanged, slider, [slider](int value) {
                RaiseNotify(slider, "valuechanged", static_cast<quintptr>(value));
            });
            TakeWheelOnlyWithFocus(slider);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QObject::connect(combo, &QComboBox::activated, combo, [combo](int index) {
                RaiseNotify(combo, "itemselect", static_cast<quintptr>(index), -1);
            });
            TakeWheelOnlyWithFocus(combo);
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            QObject::connect(list, &QListWidget::currentItemChanged, list,
                             [list](QListWidgetItem* current, QListWidgetItem* previous) {
                                 RaiseNotify(list, "itemselect",
                                             static_cast<quintptr>(list->row(current)),
                                             previous != nullptr ? list->row(previous) : -1);
                             });
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            QObject::connect(edit, &QLineEdit::textEdited, edit,
                             [edit] { RaiseNotify(edit, "textchanged"); });
            QObject::connect(edit, &QLineEdit::returnPressed, edit,
                             [root, edit] { PressDefaultButton(root, edit); });
            edit->installEventFilter(host_.get());
        } else if (auto* palette = qobject_cast<ColorPalette*>(w)) {
            QObject::connect(
                palette, &ColorPalette::ColorChanged, palette,
                [palette](quint32 argb) { RaiseNotify(palette, "colorchanged", argb); });
            QObject::connect(
                palette, &ColorPalette::ColorChangedButtonUp, palette,
                [palette](quint32 argb) { RaiseNotify(palette, "colorchangedbuttonup", argb); });
        }
    }
}

QWidget* WindowImplBase::FindWidget(const QString& name, bool (*accepts)(const QWidget*),
                                    const char* kind, bool required) const {
    QWidget* root = RootWidget();
    if (root == nullptr) {
        if (required) {
            qCCritical(lcWindow).noquote()
                << "window" << GetWindowClassName() << "has no layout; looked for" << name;
        }
        return nullptr;
    }
    QWidget* w = root->objectName() == name ? root : root->findChild<QWidget*>(name);
    if (w != nullptr && accepts(w)) {
        return w;
    }
    if (required) {
        ui_internal::ReportLayoutError(root, name, kind, w != nullptr);
    }
    return nullptr;
}

QString WindowImplBase::FormatName(const QString& pattern, int number) {
    QString name = pattern;
    return name.replace(QLatin1String("%d"), QString::number(number));
}

void WindowImplBase::CenterWindow() {
    QWidget* root = RootWidget();
    if (root == nullptr) {
        return;
    }
    if (!root->testAttribute(Qt::WA_Resized)) {
        root->adjustSize();
    }
    const QRect area = owner_ != nullptr && owner_->IsVisible() ? owner_->ScreenRect() : WorkArea();
    QRect frame = root->geometry();
    frame.moveCenter(area.center());
    // A window larger than its owner stays on the screen.
    const QRect screen = WorkArea();
    if (screen.isValid()) {
        frame.moveLeft(std::clamp(frame.left(), screen.left(),
                                  std::max(screen.left(), screen.right() - frame.width() + 1)));
        frame.moveTop(std::clamp(frame.top(), screen.top(),
                                 std::max(screen.top(), screen.bottom() - frame.height() + 1)));
    }
    root->move(frame.topLeft());
}

void WindowImplBase::ShowWindow(bool show, bool activate) {
    QWidget* root = RootWidget();
    if (root == nullptr) {
        return;
    }
    if (!show) {
        root->hide();
        return;
    }
    root->show();
    if (activate) {
        root->raise();
        root->activateWindow();
    }
}

bool WindowImplBase::IsVisible() const {
    const QWidget* root = RootWidget();
    return root != nullptr && root->isVisible();
}

void WindowImplBase::Minimize() {
    if (QWidget* root = RootWidget()) {
        root->showMinimized();
    }
}

bool WindowImplBase::IsMinimized() const {
    const QWidget* root = RootWidget();
    return root != nullptr && root->isMinimized();
}

void WindowImplBase::BringToFront() {
    QWidget* root = RootWidget();
    if (root == nullptr) {
        return;
    }
    if (root->isMinimized()) {
        root->showNormal();
    } else {
        root->show();
    }
    root->raise();
    root->activateWindow();
}

void WindowImplBase::MoveWindow(const QRect& screenRect) {
    if (QWidget* root = RootWidget()) {
        root->setGeometry(screenRect);
    }
}

QRect WindowImplBase::ScreenRect() const {
    const QWidget* root = RootWidget();
    return root == nullptr ? QRect() : root->geometry();
}

QRect WindowImplBase::WorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen == nullptr ? QRect() : screen->availableGeometry();
}

void WindowImplBase::SetWindowTitle(const QString& title) {
    if (QWidget* root = RootWidget()) {
        root->setWindowTitle(title);
    }
}

QString WindowImplBase::WindowTitle() const {
    const QWidget* root = RootWidget();
    return root == nullptr ? QString() : root->windowTitle();
}

void WindowImplBase::SetIcon(const QString& imageFile) {
    if (QWidget* root = RootWidget()) {
        root->setWindowIcon(ui_internal::SkinIcon(UiApplication::SkinPath(imageFile)));
    }
}

int WindowImplBase::ShowModal() {
    QWidget* root = RootWidget();
    if (root == nullptr || destroying_) {
        return -1;
    }
    if (UiApplication::Ending()) {
        Close(0);  // the program ends: no new dialog waits for an answer
        return 0;
    }
    if (auto script = TestHook::TakeModal(GetWindowClassName())) {
        root->show();
        if (script->act) {
            script->act(*this);
        }
        if (closeResult_) {
            return *closeResult_;
        }
        Close(script->result);
        return script->result;
    }
    root->setWindowModality(Qt::ApplicationModal);
    root->show();
    if (!closeResult_) {
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        modalLoop_ = nullptr;
    }
    return closeResult_.value_or(0);
}

void WindowImplBase::Close(int result) {
    if (!closeResult_) {
        closeResult_ = result;
    }
    if (modalLoop_ != nullptr) {
        modalLoop_->exit(0);
    }
    Destroy();
}

void WindowImplBase::Destroy() {
    QWidget* root = RootWidget();
    if (root == nullptr || destroying_) {
        return;
    }
    OnDestroy();
    bool handled = false;
    HandleCustomMessage(ui::kMsgDestroy, 0, 0, handled);
    destroying_ = true;
    host_->KillAllTimers();
    root->hide();
    // The widgets may be in the middle of the event that led here: free them from the loop.
    const QPointer<QObject> alive(host_.get());
    QMetaObject::invokeMethod(
        qApp,
        [this, alive] {
            if (alive) {
                ReleaseWidgets();
                OnFinalMessage();
            }
        },
        Qt::QueuedConnection);
}

void WindowImplBase::SetTimer(unsigned id, int milliseconds) {
    if (!destroying_) {
        host_->SetTimer(id, milliseconds);
    }
}

void WindowImplBase::KillTimer(unsigned id) {
    host_->KillTimer(id);
}

bool WindowImplBase::HasTimer(unsigned id) const {
    return host_->TimerInterval(id) >= 0;
}

int WindowImplBase::TimerInterval(unsigned id) const {
    return host_->TimerInterval(id);
}

void WindowImplBase::SetTimer(const Control& control, unsigned id, int milliseconds) {
    if (!control.IsNull() && !destroying_) {
        host_->SetControlTimer(control.Widget(), id, milliseconds);
    }
}

void WindowImplBase::KillTimer(const Control& control, unsigned id) {
    if (!control.IsNull()) {
        host_->KillControlTimer(control.Widget(), id);
    }
}

void WindowImplBase::PostMessage(unsigned message, quintptr wParam, qintptr lParam) {
    Poster().Post(message, wParam, lParam);
}

qintptr WindowImplBase::SendMessage(unsigned message, quintptr wParam, qintptr lParam) {
    if (QThread::currentThread() == host_->thread()) {
        return DeliverMessage(message, wParam, lParam);
    }
    qintptr result = 0;
    QMetaObject::invokeMethod(
        host_.get(),
        [this, message, wParam, lParam] { return DeliverMessage(message, wParam, lParam); },
        Qt::BlockingQueuedConnection, &result);
    return result;
}

qintptr WindowImplBase::DeliverMessage(unsigned message, quintptr wParam, qintptr lParam) {
    bool handled = false;
    return HandleCustomMessage(message, wParam, lParam, handled);
}

void WindowImplBase::AddVirtualWindow(const QString& name, CNotifyPump* pump) {
    virtualWindows_.insert(name, pump);
}

void WindowImplBase::RemoveVirtualWindow(const QString& name) {
    virtualWindows_.remove(name);
}

void WindowImplBase::ReloadTexts() {
    if (QWidget* root = RootWidget()) {
        ui_internal::ApplyTextKeys(root);
    }
}

void WindowImplBase::DispatchNotify(Notification& n) {
    QWidget* root = RootWidget();
    if (root == nullptr || destroying_) {
        return;
    }
    n.window = this;
    for (const QWidget* w = n.sender.Widget(); w != nullptr; w = w->parentWidget()) {
        const QString name = w->property(kVirtualWindowProperty).toString();
        if (!name.isEmpty()) {
            n.virtualWindow = name;
            break;
        }
        if (w == root) {
            break;
        }
    }
    Notify(n);
}

void WindowImplBase::Notify(const Notification& n) {
    if (!n.virtualWindow.isEmpty()) {
        if (CNotifyPump* pump = virtualWindows_.value(n.virtualWindow)) {
            pump->NotifyPump(n);
        }
        return;
    }
    if (n.Is("click")) {
        OnClick(n);
    }
}

void WindowImplBase::OnClick(const Notification& /*n*/) {}

qintptr WindowImplBase::HandleCustomMessage(unsigned /*message*/, quintptr /*wParam*/,
                                            qintptr /*lParam*/, bool& /*handled*/) {
    return 0;
}

namespace ui_internal {

void RaiseNotify(QWidget* sender, const char* type, quintptr wParam, qintptr lParam) {
    WindowImplBase* window = WindowImplBase::FromWidget(sender);
    if (window == nullptr) {
        return;
    }
    Notification n;
    n.type = QLatin1String(type);
    n.sender = Control(sender);
    n.senderName = sender->objectName();
    n.wParam = wParam;
    n.lParam = lParam;
    window->DispatchNotify(n);
}

void ReportLayoutError(const QWidget* scope, const QString& name, const char* kind,
                       bool wrongKind) {
    const WindowImplBase* window = WindowImplBase::FromWidget(scope);
    const QString where = window != nullptr
                              ? QStringLiteral("window %1 (layout %2)")
                                    .arg(window->GetWindowClassName(), window->GetSkinFile())
                              : QStringLiteral("widget %1").arg(scope->objectName());
    if (wrongKind) {
        qCCritical(lcWindow).noquote()
            << "layout error: in" << where << "the control" << name << "is not a" << kind;
    } else {
        qCCritical(lcWindow).noquote()
            << "layout error:" << where << "has no" << kind << "named" << name;
    }
    Q_ASSERT_X(false, "WindowImplBase::Find", "control missing from the layout");
}

}  // namespace ui_internal
