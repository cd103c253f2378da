// The layouts that ship in the skin folder, compiled into the program at build time (uic). A
// window whose layout file is still the one that shipped is built by that code, which skips
// reading and interpreting the XML; an edited layout is loaded from the file as always.
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

// The image one widget of a built-in layout shows, relative to the skin folder.
struct BuiltInImage {
    const char* widget;
    const char* file;
};

namespace ui_internal {

// The widget tree of `file` built by the compiled code when `layout` (the file's bytes) is
// byte-identical to the layout built in; null otherwise. Each widget's image is named in its
// `skinImageProperty` (left empty when the file in `skinFolder` is not usable) and not loaded.
QWidget* BuildBuiltInLayout(const QString& file, const QByteArray& layout,
                            const QString& skinFolder, const char* skinImageProperty);

}  // namespace ui_internal
