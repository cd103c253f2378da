#include "ui/window_registry.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace ui_internal {
namespace {
QList<QPointer<QWidget>>& Roots() {
    static QList<QPointer<QWidget>> roots;
    return roots;
}
}  // namespace

void RegisterTextRoot(QWidget* root) {
    Roots().removeAll(nullptr);
    Roots().append(root);
}

QList<QWidget*> TextRoots() {
    QList<QWidget*> live;
    for (const QPointer<QWidget>& root : Roots()) {
        if (root) {
            live.append(root);
        }
    }
    return live;
}

}  // namespace ui_internal
