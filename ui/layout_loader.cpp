// Layouts are Qt Designer files read at run time; our own widgets are created by class name.
#include <QAbstractButton>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QUiLoader>
#include <QVariant>
#include <QXmlStreamReader>

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

constexpr char kSkinImageProperty[] = "skinImage";

// The images a layout names for its widgets' "icon" and "pixmap" properties, by widget name, so
// they can be loaded again from another theme's images.
QHash<QString, QString> SkinImagesOf(const QByteArray& layout) {
    QHash<QString, QString> images;
    QXmlStreamReader xml(layout);
    QStringList widgets;
    QString imageProperty;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("widget")) {
                widgets.append(xml.attributes().value(QLatin1String("name")).toString());
            } else if (xml.name() == QLatin1String("property")) {
                const auto name = xml.attributes().value(QLatin1String("name"));
                imageProperty = name == QLatin1String("icon") || name == QLatin1String("pixmap")
                                    ? name.toString()
                                    : QString();
            } else if (!imageProperty.isEmpty() && !widgets.isEmpty() &&
                       (xml.name() == QLatin1String("normaloff") ||
                        xml.name() == QLatin1String("pixmap"))) {
                images.insert(widgets.last(), xml.readElementText().trimmed());
                imageProperty.clear();
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("widget") && !widgets.isEmpty()) {
                widgets.removeLast();
            } else if (xml.name() == QLatin1String("property")) {
                imageProperty.clear();
            }
        }
    }
    return images;
}

}  // namespace

namespace ui_internal {

void ReloadSkinImages(QWidget* root) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString file = w->property(kSkinImageProperty).toString();
        if (file.isEmpty()) {
            continue;
        }
        const QString path = UiApplication::SkinPath(file);
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setIcon(SkinIcon(path));
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setPixmap(SkinImageUsable(path) ? QPixmap(path) : QPixmap());
        }
    }
}

QWidget* LoadLayout(const QString& file, QWidget* parent, QString* error) {
    const QString path = UiApplication::SkinPath(file);
    QString layout;
    if (!ReadSkinText(path, layout, error)) {
        return nullptr;
    }
    const QByteArray usable = LayoutWithUsableImages(layout, UiApplication::SkinFolder()).toUtf8();
    LayoutLoader& loader = Loader();
    loader.setWorkingDirectory(QDir(UiApplication::SkinFolder()));
    QBuffer buffer;
    buffer.setData(usable);
    buffer.open(QIODevice::ReadOnly);
    QWidget* root = loader.load(&buffer, parent);
    if (root == nullptr) {
        *error = QStringLiteral("cannot build %1: %2").arg(path, loader.errorString());
        return nullptr;
    }
    const QHash<QString, QString> images = SkinImagesOf(usable);
    for (auto it = images.cbegin(); it != images.cend(); ++it) {
        QWidget* w = root->objectName() == it.key() ? root : root->findChild<QWidget*>(it.key());
        if (w != nullptr) {
            w->setProperty(kSkinImageProperty, it.value());
        }
    }
    if (UiApplication::HasSkinVariant()) {
        ReloadSkinImages(root);  // the layout named the default images
    }
    return root;
}

}  // namespace ui_internal
