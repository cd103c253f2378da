#include "ui/ui_application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QThread>
#include <QWidget>
#include <optional>
#include <utility>

#include "ui/skin_reading.h"

namespace {
Q_LOGGING_CATEGORY(lcUi, "talvore.ui")

QString& SkinFolderStore() {
    static QString folder;
    return folder;
}

std::optional<QString>& PendingTheme() {
    static std::optional<QString> sheet;
    return sheet;
}

bool& EndingFlag() {
    static bool ending = false;
    return ending;
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
    QString sheet;
    QString error;
    if (!ui_internal::ReadSkinText(qssPath, sheet, &error)) {
        qCWarning(lcUi).noquote() << "theme not loaded:" << error;
        return false;
    }
    const QString base = QFileInfo(qssPath).absolutePath();
    sheet = ui_internal::SheetWithUsableImages(sheet, base);
    // url() in the sheet is relative to the skin folder, wherever the program was started.
    sheet.replace(QStringLiteral("url(\""), QStringLiteral("url(\"%1/").arg(base));
    // The sheet may also name its images as "skins:<file>", the folder it lives in.
    QDir::setSearchPaths(QStringLiteral("skins"), {base});
    // With an application sheet in force, every step of a layout's build (a page moved into a
    // scroll area or a stack, the root given its window flags) styles the finished part again.
    if (QApplication::allWidgets().isEmpty()) {
        PendingTheme() = sheet;
        QMetaObject::invokeMethod(qApp, &UiApplication::ApplyPendingTheme, Qt::QueuedConnection);
    } else {
        PendingTheme().reset();
        qApp->setStyleSheet(sheet);
    }
    return true;
}

void UiApplication::ApplyPendingTheme() {
    if (std::optional<QString> sheet = std::exchange(PendingTheme(), std::nullopt)) {
        qApp->setStyleSheet(*sheet);
    }
}

int UiApplication::MessageLoop() {
    return QApplication::exec();
}

void UiApplication::EndModalRuns() {
    EndingFlag() = true;
    // A window that would not leave still counts only once.
    for (int guard = 0; guard < 100; ++guard) {
        QWidget* open = QApplication::activePopupWidget();
        if (open == nullptr) {
            open = QApplication::activeModalWidget();
        }
        if (open == nullptr) {
            return;
        }
        open->close();  // a dialog rejects; one of our windows closes with 0
        if (open->isVisible()) {
            open->hide();
        }
    }
}

void UiApplication::AllowModalRuns() {
    EndingFlag() = false;
}

bool UiApplication::Ending() {
    return EndingFlag();
}

int UiApplication::LoopDepth() {
    return QThread::currentThread()->loopLevel();
}

void UiApplication::PostQuitMessage(int code) {
    QMetaObject::invokeMethod(
        qApp, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}
