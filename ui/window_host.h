// The Qt side of a window: its timers and the events it turns into notifications.
#pragma once

#include <QMap>
#include <QObject>
#include <QPair>

class QTimer;
class WindowImplBase;

class WindowHost final : public QObject {
    Q_OBJECT
public:
    explicit WindowHost(WindowImplBase* window) : window_(window) {}

    void SetTimer(unsigned id, int milliseconds);
    void KillTimer(unsigned id);
    int TimerInterval(unsigned id) const;
    void SetControlTimer(QObject* control, unsigned id, int milliseconds);
    void KillControlTimer(QObject* control, unsigned id);
    void KillAllTimers();

    // Focus and hover of controls, the wheel over sliders and combo boxes without the focus, and
    // the desktop closing the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowImplBase* window_;
    QMap<unsigned, QTimer*> timers_;
    QMap<QPair<QObject*, unsigned>, QTimer*> controlTimers_;
};
