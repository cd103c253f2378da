#include "ui/ui_application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>

namespace {
Q_LOGGING_CATEGORY(lcUi, "talvore.ui")

QString& SkinFolderStore() {
    static QString folder;
    return folder;
}
}  // namespace

UiApplication::UiApplication(int& argc, char** argv)
    : app_(std::make_unique<QApplication>(argc, argv)) {
    // Closing the last window must not end the program: it lives on in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
}

UiApplication::~UiApplication() = default;

void UiApplication::SetSkinFolder(const QString& folder) {
    SkinFolderStore() = QDir::cleanPath(folder);
    const QString theme = SkinPath(QStringLiteral("skins/theme.qss"));
    if (QFileInfo::exists(theme)) {
        LoadTheme(theme);
    }
}

QString UiApplication::SkinFolder() {
    return SkinFolderStore();
}

QString UiApplication::SkinPath(const QString& relative) {
    QString path = relative;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(path)) {
        return path;
    }
    return QDir(SkinFolderStore()).filePath(path);
}

bool UiApplication::LoadTheme(const QString& qssPath) {
    QFile file(qssPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCWarning(lcUi) << "theme not loaded:" << qssPath << file.errorString();
        return false;
    }
    // url() in the sheet is relative to the skin folder, wherever the program was started.
    QString sheet = QString::fromUtf8(file.readAll());
    const QString base = QFileInfo(qssPath).absolutePath();
    sheet.replace(QStringLiteral("url(\""), QStringLiteral("url(\"%1/").arg(base));
    // The sheet may also name its images as "skins:<file>", the folder it lives in.
    QDir::setSearchPaths(QStringLiteral("skins"), {base});
    qApp->setStyleSheet(sheet);
    return true;
}

int UiApplication::MessageLoop() {
    return QApplication::exec();
}

void UiApplication::PostQuitMessage(int code) {
    QMetaObject::invokeMethod(
        qApp, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}
