// Handles to the controls of a window. Window code finds a control by name once and keeps the
// handle. A handle is null when the lookup failed (a layout error, reported at the lookup) or
// when the control has since been destroyed: every operation on a null handle does nothing and
// every getter returns an empty value, so a missing control never crashes the program later.
#pragma once

#include <QPointer>
#include <QRect>
#include <QString>

class QObject;
class QWidget;

// Whether a programmatic change raises the notification a user's change would raise.
enum class Notify { kNo, kYes };
// Whether a selection also moves the keyboard focus to the control.
enum class TakeFocus { kNo, kYes };

class Control {
public:
    static constexpr const char* kKind = "control";
    static bool Accepts(const QWidget* widget);

    Control() = default;
    explicit Control(QWidget* widget);

    bool IsNull() const { return object_.isNull(); }
    explicit operator bool() const { return !IsNull(); }
    bool operator==(const Control& other) const { return object_ == other.object_; }

    QString Name() const;
    // The widget behind the handle, for tests and the library; window code has no use for it.
    QWidget* Widget() const;

    void SetVisible(bool visible);
    // The control's own visibility flag (true although a hidden ancestor or window hides it).
    bool IsVisible() const;
    void SetEnabled(bool enabled);
    bool IsEnabled() const;

    // A plain text: shown as given and kept over a language switch.
    void SetText(const QString& text);
    QString Text() const;
    // A plain text that may be longer than the control: shown cut with "…" to the control's
    // width, and cut again when the control is resized. Text() gives the whole text.
    void SetElidedText(const QString& text);
    // A language key: the control shows the key's text in the current language and follows
    // every language switch. A key missing from the language file shows the key itself.
    void SetTextKey(const QString& key);
    QString TextKey() const;
    void SetToolTip(const QString& text);
    QString ToolTip() const;

    // Background colour as 0xAARRGGBB.
    void SetBkColor(quint32 argb);
    quint32 BkColor() const;
    // Background image from the skin folder: "skins/x.png" fills the control;
    // "res='skins/x.png' dest='l,t,r,b'" draws it into that rectangle of the control.
    void SetBkImage(const QString& image);
    QString BkImage() const;

    void SetFocus();
    bool HasFocus() const;
    void SetFixedHeight(int height);
    // Position and size in the coordinates of the control's window.
    QRect Geometry() const;

    // The free "userData" property (menu items carry one).
    QString UserData() const;
    void SetUserData(const QString& data);

    // A state the theme's rules select on, as a dynamic property of the widget
    // (QPushButton[function="none"] { ... }); the control takes the matching look at once. An
    // empty value removes the state.
    void SetStyleState(const char* name, const QString& value);
    QString StyleState(const char* name) const;

    // A named control inside this one (a list row's sub-controls). Null when missing or of
    // another kind; reported like a failed window lookup.
    template <class T>
    T FindChild(const QString& name) const {
        return T(FindChildWidget(name, &T::Accepts, T::kKind));
    }

protected:
    QWidget* FindChildWidget(const QString& name, bool (*accepts)(const QWidget*),
                             const char* kind) const;

    QPointer<QObject> object_;
};
