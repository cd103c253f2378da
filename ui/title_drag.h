// Moves a frameless window when the user presses and drags its title area: the desktop moves it
// (QWindow::startSystemMove), on X11 and on Wayland alike, so snapping and edges behave as for
// any other window. Where the window manager cannot move windows, the window follows the
// pointer itself.
//
// The title area is the band from the window's top to the lowest edge of its title widgets
// (role "titlebar", "title" or "caption"); a press there that no control took starts the move.
// Double-clicks do nothing.
#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

class TitleDrag final : public QObject {
    Q_OBJECT
public:
    // Watches `window` (a top-level widget) for presses; owned by it.
    static void Attach(QWidget* window);

    // The height of the title band in the window's own coordinates; 0 when it has none.
    static int TitleBandHeight(const QWidget* window);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TitleDrag(QWidget* window);

    QWidget* window_;
    bool followingPointer_ = false;
    QPoint grabOffset_;
};
