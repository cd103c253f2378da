// Layouts are Qt Designer files: those that shipped are built from compiled code, others by the
// run-time reader (ui/layout_reader_abi.h); our own widgets are created by class name.
#include <QAbstractButton>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QVariant>
#include <QXmlStreamReader>

#include "sys/dynamic_library.h"
#include "sys/program_layout.h"
#include "ui/color_palette.h"
#include "ui/layout_loader_built_in.h"
#include "ui/layout_reader_abi.h"
#include "ui/skin_reading.h"
#include "ui/ui_application.h"
#include "ui/ui_internal.h"

namespace {

// Our own widgets that layouts name, for the run-time reader.
QWidget* CreateOurWidget(const QString& className, QWidget* parent, const QString& name) {
    if (className == QLatin1String("ColorPalette")) {
        auto* palette = new ColorPalette(parent);
        palette->setObjectName(name);
        return palette;
    }
    return nullptr;
}

// The run-time reader, loaded from the library folder on first use and kept for the run; null
// with `why` set when it cannot be loaded.
ReadLayoutFn* LayoutReader(QString* why) {
    static ReadLayoutFn* read = nullptr;
    if (read == nullptr) {
        static auto* library = new DynamicLibrary;  // never unloaded: widgets use its code
        if (!library->IsLoaded() &&
            !library->Load(GetLibraryFolder() + QLatin1String(kLayoutReaderFile))) {
            *why = library->ErrorString();
            return nullptr;
        }
        read = library->Resolve<ReadLayoutFn>(kReadLayoutExport);
        if (read == nullptr) {
            *why = QStringLiteral("%1 has no %2")
                       .arg(library->Path(), QLatin1String(kReadLayoutExport));
        }
    }
    return read;
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

QString SkinImageOf(const QWidget* widget) {
    return widget->property(kSkinImageProperty).toString();
}

QWidget* LoadLayout(const QString& file, QWidget* parent, QString* error) {
    const QString path = UiApplication::SkinPath(file);
    QByteArray bytes;
    if (!ReadSkinBytes(path, bytes, error)) {
        return nullptr;
    }
    if (QWidget* root =
            BuildBuiltInLayout(file, bytes, UiApplication::SkinFolder(), kSkinImageProperty)) {
        ReloadSkinImages(root);
        if (parent != nullptr) {
            root->setParent(parent);
        }
        return root;
    }
    const QByteArray usable =
        LayoutWithUsableImages(QString::fromUtf8(bytes), UiApplication::SkinFolder()).toUtf8();
    QString why;
    ReadLayoutFn* read = LayoutReader(&why);
    QWidget* root = read == nullptr ? nullptr
                                    : read(usable, UiApplication::SkinFolder(), parent,
                                           &CreateOurWidget, &why);
    if (root == nullptr) {
        *error = QStringLiteral("cannot build %1: %2").arg(path, why);
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
