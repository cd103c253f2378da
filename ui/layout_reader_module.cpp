// talvore_layout_reader.so: builds layouts with QUiLoader for the program, which loads this
// module only when it needs it (ui/layout_reader_abi.h).
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QString>
#include <QUiLoader>

#include "ui/layout_reader_abi.h"

namespace {

class LayoutLoader final : public QUiLoader {
public:
    explicit LayoutLoader(QObject* parent) : QUiLoader(parent) {}

    void SetCustomWidgets(CreateCustomWidget create) { createCustom_ = create; }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        if (createCustom_ != nullptr) {
            if (QWidget* custom = createCustom_(className, parent, name)) {
                return custom;
            }
        }
        return QUiLoader::createWidget(className, parent, name);
    }

private:
    CreateCustomWidget createCustom_ = nullptr;
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

extern "C" __attribute__((visibility("default"))) QWidget* talvore_read_layout(
    const QByteArray& layout, const QString& workingFolder, QWidget* parent,
    CreateCustomWidget createCustom, QString* error) {
    LayoutLoader& loader = Loader();
    loader.SetCustomWidgets(createCustom);
    loader.setWorkingDirectory(QDir(workingFolder));
    QBuffer buffer;
    buffer.setData(layout);
    buffer.open(QIODevice::ReadOnly);
    QWidget* root = loader.load(&buffer, parent);
    if (root == nullptr && error != nullptr) {
        *error = loader.errorString();
    }
    return root;
}

// The export has the type the program binds it to, or this does not compile.
[[maybe_unused]] static constexpr ReadLayoutFn* kReadLayoutHasItsType = &talvore_read_layout;
