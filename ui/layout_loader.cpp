// Layouts are Qt Designer files read at run time; our own widgets are created by class name.
#include <QDir>
#include <QFile>
#include <QUiLoader>

#include "ui/color_palette.h"
#include "ui/ui_application.h"
#include "ui/ui_internal.h"

namespace {

class LayoutLoader final : public QUiLoader {
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        if (className == QLatin1String("ColorPalette")) {
            auto* palette = new ColorPalette(parent);
            palette->setObjectName(name);
            return palette;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

}  // namespace

namespace ui_internal {

QWidget* LoadLayout(const QString& file, QWidget* parent, QString* error) {
    const QString path = UiApplication::SkinPath(file);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, in.errorString());
        return nullptr;
    }
    LayoutLoader loader;
    loader.setWorkingDirectory(QDir(UiApplication::SkinFolder()));
    QWidget* root = loader.load(&in, parent);
    if (root == nullptr) {
        *error = QStringLiteral("cannot build %1: %2").arg(path, loader.errorString());
    }
    return root;
}

}  // namespace ui_internal
