#include "tests/ui/layout_test_window.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QSlider>

#include "ui/language_manager.h"
#include "ui/ui_application.h"

void EnsureApp() {
    static int argc = 1;
    static char name[] = "talvore_layouts_test";
    static char* argv[] = {name, nullptr};
    static UiApplication* app = [] {
        auto* created = new UiApplication(argc, argv);
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
        return created;
    }();
    (void)app;
}

std::unique_ptr<LayoutWindow> Open(const QString& file, const char* language) {
    EnsureApp();
    EXPECT_TRUE(LanguageManager::Instance().Load(QString::fromLatin1(language)));
    auto window = std::make_unique<LayoutWindow>(file);
    EXPECT_TRUE(window->Create(nullptr)) << file.toStdString();
    return window;
}

bool IsInside(const QWidget* widget, const QWidget* ancestor) {
    return widget != nullptr && ancestor != nullptr && ancestor->isAncestorOf(widget);
}

void ExpectSlider(const LayoutWindow& w, const QString& name, int minimum, int maximum) {
    const Slider slider = w.Require<Slider>(name);
    if (const auto* s = w.WidgetOf<QSlider>(slider)) {
        EXPECT_EQ(s->orientation(), Qt::Horizontal) << name.toStdString();
    }
    EXPECT_EQ(slider.Minimum(), minimum) << name.toStdString();
    EXPECT_EQ(slider.Maximum(), maximum) << name.toStdString();
}

void ExpectOptionGroup(const Option& option, const char* group) {
    EXPECT_EQ(option.Group(), QString::fromLatin1(group)) << option.Name().toStdString();
}

void ExpectSwatch(const LayoutWindow& w, const QString& name) {
    const Button swatch = w.Require<Button>(name);
    if (const QWidget* widget = swatch.Widget()) {
        EXPECT_TRUE(widget->styleSheet().isEmpty()) << name.toStdString();
    }
}

void ExpectFits(const QWidget* widget, const char* file, const char* language) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(widget); label != nullptr && !label->wordWrap()) {
        text = label->text();
    } else if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        text = button->text();
    }
    if (!text.isEmpty()) {
        EXPECT_GE(widget->width(), widget->sizeHint().width())
            << file << ", " << language << ": " << widget->objectName().toStdString() << " \""
            << text.toStdString() << "\"";
    }
}

void ExpectTextsFit(const char* file) {
    for (const char* language : kLanguages) {
        auto w = Open(QString::fromLatin1(file), language);
        QWidget* root = w->RootWidget();
        root->show();
        root->layout()->activate();
        for (QWidget* widget : root->findChildren<QWidget*>()) {
            if (widget->isVisibleTo(root)) {
                widget->ensurePolished();
                ExpectFits(widget, file, language);
            }
        }
    }
}
