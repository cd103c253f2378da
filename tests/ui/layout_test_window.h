// Opens a layout of the skin folder in a window of the UI library, for the layout tests: its
// controls by name and kind, and whether its texts fit in every language.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>
#include <memory>
#include <utility>

#include "ui/controls.h"
#include "ui/window_impl_base.h"

class LayoutWindow final : public WindowImplBase {
public:
    explicit LayoutWindow(QString file) : file_(std::move(file)) {}
    QString GetWindowClassName() const override { return QStringLiteral("LayoutTestWnd"); }
    QString GetSkinFile() const override { return file_; }

    // A control of kind T named `name`, or a test failure naming it.
    template <class T>
    T Require(const QString& name) const {
        T control = FindOptional<T>(name);
        EXPECT_FALSE(control.IsNull())
            << file_.toStdString() << ": no " << T::kKind << " named " << name.toStdString();
        return control;
    }
    template <class T>
    T Require(const char* pattern, int number) const {
        return Require<T>(FormatName(QString::fromLatin1(pattern), number));
    }
    template <class W>
    W* WidgetOf(const Control& control) const {
        return qobject_cast<W*>(control.Widget());
    }

private:
    QString file_;
};

inline constexpr const char* kLanguages[] = {"lan/CN.xml", "lan/EN.xml", "lan/RU.xml",
                                             "lan/ES.xml"};

// The application object of these tests, made once, with the source tree's skin folder.
void EnsureApp();
std::unique_ptr<LayoutWindow> Open(const QString& file, const char* language = "lan/EN.xml");
bool IsInside(const QWidget* widget, const QWidget* ancestor);
void ExpectSlider(const LayoutWindow& w, const QString& name, int minimum, int maximum);
void ExpectOptionGroup(const Option& option, const char* group);
// A swatch's colour is painted by the program; a style sheet of its own would hide that.
void ExpectSwatch(const LayoutWindow& w, const QString& name);
// A single-line text on a control narrower than the text needs is cut off.
void ExpectFits(const QWidget* widget, const char* file, const char* language);
// Every visible text of a layout fits in every language; long Russian texts catch this first.
void ExpectTextsFit(const char* file);
