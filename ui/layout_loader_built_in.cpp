#include "ui/layout_loader_built_in.h"

#include <QCryptographicHash>
#include <QDir>
#include <QWidget>
#include <iterator>

#include "built_in_DPImsg.h"
#include "built_in_about.h"
#include "built_in_keylistitem.h"
#include "built_in_main.h"
#include "built_in_mainmenu.h"
#include "built_in_msg.h"
#include "built_in_shortcut.h"
#include "built_in_skinmenu.h"
#include "built_in_traymenu.h"
#include "ui/skin_reading.h"

namespace {

struct BuiltInLayout {
    const char* file;
    const char* sha256;
    const BuiltInImage* images;
    std::size_t imageCount;
    QWidget* (*build)();
};

#define TALVORE_BUILT_IN(name, file)                                    \
    BuiltInLayout {                                                     \
        file, built_in_##name::kSha256, built_in_##name::kImages,       \
            std::size(built_in_##name::kImages), built_in_##name::Build \
    }

const BuiltInLayout kBuiltIn[] = {
    TALVORE_BUILT_IN(main, "main.xml"),         TALVORE_BUILT_IN(mainmenu, "mainmenu.xml"),
    TALVORE_BUILT_IN(skinmenu, "skinmenu.xml"), TALVORE_BUILT_IN(traymenu, "traymenu.xml"),
    TALVORE_BUILT_IN(DPImsg, "DPImsg.xml"),     TALVORE_BUILT_IN(keylistitem, "keylistitem.xml"),
    TALVORE_BUILT_IN(msg, "msg.xml"),           TALVORE_BUILT_IN(about, "about.xml"),
    TALVORE_BUILT_IN(shortcut, "shortcut.xml"),
};

#undef TALVORE_BUILT_IN

}  // namespace

namespace ui_internal {

QWidget* BuildBuiltInLayout(const QString& file, const QByteArray& layout,
                            const QString& skinFolder, const char* skinImageProperty) {
    const BuiltInLayout* builtIn = nullptr;
    for (const BuiltInLayout& candidate : kBuiltIn) {
        if (file == QLatin1String(candidate.file)) {
            builtIn = &candidate;
            break;
        }
    }
    if (builtIn == nullptr ||
        QCryptographicHash::hash(layout, QCryptographicHash::Sha256).toHex() !=
            QByteArrayView(builtIn->sha256)) {
        return nullptr;
    }
    QWidget* root = builtIn->build();
    for (std::size_t i = 0; i < builtIn->imageCount; ++i) {
        const BuiltInImage& image = builtIn->images[i];
        if (image.widget == nullptr) {
            continue;  // a layout without images
        }
        const QString name = QString::fromUtf8(image.widget);
        QWidget* w = root->objectName() == name ? root : root->findChild<QWidget*>(name);
        if (w != nullptr) {
            const QString imageFile = QString::fromUtf8(image.file);
            w->setProperty(skinImageProperty, SkinImageUsable(QDir(skinFolder).filePath(imageFile))
                                                  ? imageFile
                                                  : QString());
        }
    }
    return root;
}

}  // namespace ui_internal
