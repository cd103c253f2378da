// Layouts are Qt Designer files read at run time; our own widgets are created by class name.
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QUiLoader>

#include "ui/color_palette.h"
#include "ui/skin_reading.h"
#include "ui/ui_application.h"
#include "ui/ui_internal.h"

namespace {

class LayoutLoader final : public QUiLoader {
public:
    explicit LayoutLoader(QObject* parent) : QUiLoader(parent) {}

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        if (className == QLatin1String("ColorPalette")) {
            auto* palette = new ColorPalette(parent);
            palette->setObjectName(name);
            return palette;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

// One loader for the application's life. QUiLoader loads every Qt Designer widget plugin it finds
// under the library paths when it is made; our layouts use none, and the one Debian ships (the Qt
// Quick widget) brings Qt Quick and QML with it. So it is made while the library paths are empty.
LayoutLoader& Loader() {
    static QPointer<LayoutLoader> loader;
    if (loader.isNull()) {
        const QStringList libraryPaths = QCoreApplication::libraryPaths();
        QCoreApplication::setLibraryPaths({});
        loader = new LayoutLoader(qApp);  // goes with the application
        QCoreApplication::setLibraryPaths(libraryPaths);
    }
    return *loader;
}

}  // namespace

namespace ui_internal {

QWidget* LoadLayout(const QString& file, QWidget* parent, QString* error) {
    const QString path = UiApplication::SkinPath(file);
    QString layout;
    if (!ReadSkinText(path, layout, error)) {
        return nullptr;
    }
    const QByteArray usable = LayoutWithUsableImages(layout, UiApplication::SkinFolder()).toUtf8();
    QBuffer in;
    in.setData(usable);
    in.open(QIODevice::ReadOnly);
    LayoutLoader& loader = Loader();
    loader.setWorkingDirectory(QDir(UiApplication::SkinFolder()));
    QWidget* root = loader.load(&in, parent);
    if (root == nullptr) {
        *error = QStringLiteral("cannot build %1: %2").arg(path, loader.errorString());
    }
    return root;
}

}  // namespace ui_internal
