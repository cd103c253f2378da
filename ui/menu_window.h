// Popup menus built from a menu layout: a widget whose items are buttons with object names and
// an optional "userData" property, used with the mouse or the keyboard. Choosing an item closes the
// menu and posts message 1027 to the receiver window with wParam = a MenuCommand that lives until
// the handler returns (copy what you keep); clicking elsewhere closes the menu without a message.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>

#include "ui/control.h"
#include "ui/controls.h"

class WindowImplBase;
class QWidget;

struct MenuCommand {
    QString name;
    QString userData;
    QString text;

    // The record a 1027 carries; null for wParam 0.
    static const MenuCommand* FromParam(quintptr wParam) {
        return reinterpret_cast<const MenuCommand*>(wParam);
    }
};

// Which edges of the menu sit at the point; 6 = left and top (the menu opens right and down).
enum MenuAlignment : unsigned {
    kMenuAlignLeft = 2,
    kMenuAlignTop = 4,
    kMenuAlignRight = 8,
    kMenuAlignBottom = 16,
};

class MenuWindow {
public:
    MenuWindow();
    ~MenuWindow();  // closes the menu
    MenuWindow(const MenuWindow&) = delete;
    MenuWindow& operator=(const MenuWindow&) = delete;

    // Builds the menu from its layout, sizes it to its visible items, places it and shows it.
    bool Create(WindowImplBase* receiver, const QString& layoutFile, QPoint point,
                unsigned alignment);
    bool IsOpen() const;
    // The layout the menu was built from.
    QString LayoutFile() const;
    void Close();

    int VisibleItemCount() const;
    void ResizeToContent();
    void MoveTo(QPoint point, unsigned alignment);
    QRect ScreenRect() const;

    // Items and other controls of the menu, reported like a window's lookups when missing.
    template <class T>
    T Find(const QString& name) const {
        return T(FindWidget(name, &T::Accepts, T::kKind));
    }

    // Chooses an item as the user's click does; false when there is no such visible item.
    bool ChooseItem(const QString& name);
    // Marks the item standing for what is chosen now (property "current") and puts the keyboard
    // on it: the arrow keys move from there, Return chooses, Escape closes. An unknown or empty
    // name marks nothing and puts the keyboard on the first item.
    void MarkItem(const QString& name);

private:
    QWidget* FindWidget(const QString& name, bool (*accepts)(const QWidget*),
                        const char* kind) const;
    void Choose(QWidget* item);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
