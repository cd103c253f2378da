// Layouts that ship are built from compiled code while their file in the skin folder is unchanged;
// that window must be the one the run-time loader builds from the file, and a layout edited in the
// skin folder must still be what shows.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QMetaProperty>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <memory>

#include "ui/language_manager.h"
#include "ui/layout_loader_built_in.h"
#include "ui/ui_application.h"
#include "ui/ui_internal.h"
#include "ui/window_impl_base.h"

namespace {

constexpr const char* kBuiltInLayouts[] = {"main.xml",     "mainmenu.xml", "skinmenu.xml",
                                           "traymenu.xml", "DPImsg.xml",   "keylistitem.xml",
                                           "msg.xml",      "about.xml",    "shortcut.xml"};

void EnsureApp() {
    static int argc = 1;
    static char name[] = "talvore_built_in_layout_test";
    static char* argv[] = {name, nullptr};
    static UiApplication* app = new UiApplication(argc, argv);
    (void)app;
}

QString SourceSkin() {
    return QStringLiteral(TALVORE_SOURCE_DIR "/res");
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// A copy of the skin folder whose layout `file` holds `layout` instead.
std::unique_ptr<QTemporaryDir> SkinWith(const QString& file, const QByteArray& layout) {
    auto dir = std::make_unique<QTemporaryDir>();
    EXPECT_TRUE(dir->isValid());
    const QDir source(SourceSkin());
    for (QDirIterator it(SourceSkin(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString relative = source.relativeFilePath(it.next());
        QDir(dir->path()).mkpath(QFileInfo(relative).path());
        EXPECT_TRUE(QFile::copy(it.filePath(), QDir(dir->path()).filePath(relative)));
    }
    QFile edited(QDir(dir->path()).filePath(file));
    EXPECT_TRUE(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edited.write(layout);
    return dir;
}

// What a layout says of each of its widgets, one line a widget, in tree order. Qt's own inner
// widgets and the geometry of a tree not laid out yet are left out: the window's look compares
// those once it is laid out.
QStringList Describe(const QWidget* root) {
    static const QStringList kUnsettled = {QStringLiteral("geometry"),
                                           QStringLiteral("frameGeometry"),
                                           QStringLiteral("normalGeometry"),
                                           QStringLiteral("pos"),
                                           QStringLiteral("x"),
                                           QStringLiteral("y"),
                                           QStringLiteral("size"),
                                           QStringLiteral("width"),
                                           QStringLiteral("height"),
                                           QStringLiteral("rect"),
                                           QStringLiteral("childrenRect"),
                                           QStringLiteral("frameSize")};
    QStringList lines;
    QList<const QWidget*> widgets{root};
    for (const QWidget* w : root->findChildren<const QWidget*>()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
            widgets.append(w);
        }
    }
    for (const QWidget* w : widgets) {
        QString line = QStringLiteral("%1 %2 parent=%3 hidden=%4")
                           .arg(QLatin1String(w->metaObject()->className()), w->objectName(),
                                w->parentWidget() ? w->parentWidget()->objectName() : QString())
                           .arg(w->isHidden());
        const QMetaObject* meta = w->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            const QString name = QLatin1String(property.name());
            const QVariant value = property.read(w);
            if (property.isStored() && !kUnsettled.contains(name) && value.canConvert<QString>()) {
                line += QStringLiteral(" %1=%2").arg(name, value.toString());
            }
        }
        QList<QByteArray> dynamicNames = w->dynamicPropertyNames();
        std::sort(dynamicNames.begin(), dynamicNames.end());
        for (const QByteArray& name : dynamicNames) {
            if (!name.startsWith("_q_")) {  // Qt's own notes
                line += QStringLiteral(" [%1]=%2")
                            .arg(QString::fromLatin1(name), w->property(name).toString());
            }
        }
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            line += QStringLiteral(" pixmap=%1").arg(label->pixmap().size().width());
        }
        if (const QLayout* layout = w->layout()) {
            const QMargins m = layout->contentsMargins();
            line += QStringLiteral(" layout=%1 %2,%3,%4,%5 spacing=%6")
                        .arg(layout->objectName())
                        .arg(m.left())
                        .arg(m.top())
                        .arg(m.right())
                        .arg(m.bottom())
                        .arg(layout->spacing());
        }
        lines.append(line);
    }
    return lines;
}

QWidget* Load(const QString& skin, const char* file) {
    UiApplication::SetSkinFolder(skin);
    QString error;
    QWidget* root = ui_internal::LoadLayout(QString::fromLatin1(file), nullptr, &error);
    EXPECT_NE(root, nullptr) << error.toStdString();
    return root;
}

TEST(BuiltInLayouts, AreBuiltAsTheLoaderBuildsTheFileAndOnlyForTheFileThatShipped) {
    EnsureApp();
    for (const char* file : kBuiltInLayouts) {
        SCOPED_TRACE(file);
        const QByteArray shipped = ReadAll(QDir(SourceSkin()).filePath(QLatin1String(file)));
        // The compiled code is taken for the shipped bytes and for nothing else, not even the
        // same layout with one more line break.
        std::unique_ptr<QWidget> compiled(
            ui_internal::BuildBuiltInLayout(QLatin1String(file), shipped, SourceSkin(), "img"));
        ASSERT_NE(compiled, nullptr);
        const QByteArray reformatted = shipped + '\n';
        EXPECT_EQ(
            ui_internal::BuildBuiltInLayout(QLatin1String(file), reformatted, SourceSkin(), "img"),
            nullptr);

        std::unique_ptr<QWidget> fast(Load(SourceSkin(), file));
        const auto loaderSkin = SkinWith(QLatin1String(file), reformatted);
        std::unique_ptr<QWidget> loaded(Load(loaderSkin->path(), file));
        ASSERT_TRUE(fast && loaded);
        // The theme may be in force: both trees take it before they are compared.
        fast->ensurePolished();
        loaded->ensurePolished();
        const QStringList fastTree = Describe(fast.get());
        const QStringList loadedTree = Describe(loaded.get());
        EXPECT_EQ(fastTree.join(QLatin1Char('\n')).toStdString(),
                  loadedTree.join(QLatin1Char('\n')).toStdString());
    }
}

class MainWindow final : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return QStringLiteral("BuiltInTestWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("main.xml"); }
};

QImage LookOfMainWindow(const QString& skin) {
    UiApplication::SetSkinFolder(skin);
    MainWindow window;
    EXPECT_TRUE(window.Create(nullptr, 0, QRect(0, 0, 800, 572)));
    return window.RootWidget()->grab().toImage();
}

TEST(BuiltInLayouts, MainWindowLooksTheSameAndAnEditedLayoutIsWhatShows) {
    EnsureApp();
    UiApplication::SetSkinFolder(SourceSkin());
    ASSERT_TRUE(LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml")));
    const QByteArray shipped = ReadAll(SourceSkin() + QStringLiteral("/main.xml"));
    const auto same = SkinWith(QStringLiteral("main.xml"), shipped + '\n');
    LookOfMainWindow(SourceSkin());  // the first window of the run takes the theme
    const QImage fast = LookOfMainWindow(SourceSkin());
    const QImage loaded = LookOfMainWindow(same->path());
    ASSERT_EQ(fast.size(), QSize(800, 572));
    EXPECT_TRUE(fast == loaded) << "the compiled window differs from the loaded one";

    // A user gives the title another text.
    QByteArray edited = shipped;
    edited.replace("mouse_name_text", "about_text");
    ASSERT_NE(edited, shipped);
    const auto editedSkin = SkinWith(QStringLiteral("main.xml"), edited);
    UiApplication::SetSkinFolder(editedSkin->path());
    MainWindow window;
    ASSERT_TRUE(window.Create(nullptr, 0, QRect(0, 0, 800, 572)));
    auto* title = window.RootWidget()->findChild<QLabel*>(QStringLiteral("title_label"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), ui_internal::DisplayText(QStringLiteral("about_text")));
    EXPECT_NE(title->text(), ui_internal::DisplayText(QStringLiteral("mouse_name_text")));
}

}  // namespace
