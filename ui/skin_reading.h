// How the library reads the skin folder: only regular files are ever opened (a FIFO in place of a
// layout, a sheet or an image would block the program for ever), and text files are read whole
// with a bound. Images that Qt opens by name are looked at first and left out when they are not
// regular files.
#pragma once

#include <QIcon>
#include <QString>

namespace ui_internal {

// A layout or style sheet as text; nothing, with `error` set, when it is not a regular file of
// reasonable size or cannot be read.
bool ReadSkinText(const QString& path, QString& text, QString* error);

// Whether an image file may be handed to Qt to open.
bool SkinImageUsable(const QString& path);
// An icon from an image file, or an empty one when the file is not usable.
QIcon SkinIcon(const QString& path);

// A layout with the image files it names (pixmaps and icons, relative to `folder`) left out when
// they are not usable.
QString LayoutWithUsableImages(const QString& layout, const QString& folder);
// A style sheet whose url()s (relative to `folder`, or "skins:<file>") that lead to no usable
// image are emptied.
QString SheetWithUsableImages(const QString& sheet, const QString& folder);

}  // namespace ui_internal
