// A desktop menu (QMenu) built from a menu layout: every button of the layout becomes an item
// with its object name, language key ("textKey"), icon and "userData"; a checkable button a
// checkable item, buttons sharing a "group" one exclusive choice; a widget with role
// "separator" a line. Choosing an item posts message 1027 to the receiver window with a
// MenuCommand, as the layout menus do.
//
// Being a real desktop menu, it is placed and kept on the screen by Qt, opens as a popup of its
// window on Wayland, and can be handed to a StatusNotifierItem tray, which shows it itself.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>

#include "ui/control.h"

class QIcon;

class QMenu;
class WindowImplBase;

class PopupMenu {
public:
    PopupMenu();
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // False (with a log line) when the layout cannot be read.
    bool Load(WindowImplBase* receiver, const QString& layoutFile);
    bool IsLoaded() const;

    // Opens at `point` (screen coordinates); Qt keeps it on the screen.
    void PopupAt(QPoint point);
    // Opens under `anchor` (a control of a window), its right edges lined up, or above it when
    // there is no room below.
    void PopupBelow(const Control& anchor);
    // Opens beside `iconRect` (a tray icon's place on screen): above it when the icon is in the
    // lower half of its screen, below it otherwise, always wholly on that screen.
    void PopupBeside(const QRect& iconRect);
    bool IsOpen() const;
    void Close();
    // Where the open menu lies on the screen.
    QRect ScreenRect() const;

    void SetChecked(const QString& item, bool checked);
    bool IsChecked(const QString& item) const;
    // The texts of the current language (called on a language switch, and before each opening).
    void ReloadTexts();
    // The item's shown text, empty for a missing item.
    QString ItemText(const QString& item) const;
    // The item's image (the current look's once the menu has opened), null for a missing item.
    QIcon ItemIcon(const QString& item) const;
    QStringList ItemNames() const;
    // Chooses an item as a click does; false when there is no such enabled item.
    bool ChooseItem(const QString& item);

    // The menu itself, for a tray that shows it.
    QMenu* Menu() const;

    // Where PopupBeside puts a menu of `menuSize` for an icon at `iconRect` on a screen whose
    // area is `screen`.
    static QPoint PlaceBeside(const QRect& iconRect, QSize menuSize, const QRect& screen);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
