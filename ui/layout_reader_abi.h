// The run-time layout reader: Qt's QUiLoader lives in a module beside the driver libraries, loaded
// the first time a layout is read that is not one of those compiled in (an edited skin folder, a
// layout with a widget of ours). A start whose layouts are those that shipped never loads Qt
// UiTools and the OpenGL libraries it brings.
#pragma once

class QByteArray;
class QString;
class QWidget;

// The module is kLayoutReaderFile (sys/program_layout.h) in the library folder.
inline constexpr char kReadLayoutExport[] = "talvore_read_layout";

// Creates a widget of one of our own classes that a layout names; null for a class it does not
// know, which Qt then creates.
using CreateCustomWidget = QWidget* (*)(const QString& className, QWidget* parent,
                                        const QString& name);
// Builds the layout's widget tree under `parent`, with images relative to `workingFolder`; null
// with `error` set when the layout cannot be built.
using ReadLayoutFn = QWidget*(const QByteArray& layout, const QString& workingFolder,
                              QWidget* parent, CreateCustomWidget createCustom, QString* error);
