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

#include "sys/session_type.h"
#include "ui/skin_reading.h"
#include "ui/ui_internal.h"
#include "ui/window_registry.h"

namespace {
Q_LOGGING_CATEGORY(lcUi, "talvore.ui")

QString& SkinFolderStore() {
    static QString folder;
    return folder;
}

// The subfolder of "skins" whose images stand in for the default ones ("light"); empty for none.
QString& SkinVariantStore() {
    static QString variant;
    return variant;
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

// Before the application object: the platform and the scaling rule are read when it is made.
// Natively on Wayland in a Wayland session, on X11 elsewhere; fractional output scales are
// used as they are (crisp at 1.5) instead of being rounded to whole numbers.
void UiApplication::PrepareProcess() {
    ChooseQtPlatform();
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    // The Wayland app id and the notifications' desktop entry: the installed .desktop file.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.talvore.Talvore"));
}

UiApplication::UiApplication(int& argc, char** argv)
    : app_((PrepareProcess(), std::make_unique<QApplication>(argc, argv))) {
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
    const QDir folder(SkinFolderStore());
    const QString prefix = QStringLiteral("skins/");
    if (!SkinVariantStore().isEmpty() && path.startsWith(prefix)) {
        const QString variant = folder.filePath(prefix + SkinVariantStore() + QLatin1Char('/') +
                                                path.mid(prefix.size()));
        if (QFileInfo::exists(variant)) {
            return variant;
        }
    }
    return folder.filePath(path);
}

bool UiApplication::HasSkinVariant() {
    return !SkinVariantStore().isEmpty();
}

bool UiApplication::SwitchTheme(const QString& sheetFile, const QString& imageVariant) {
    SkinVariantStore() = imageVariant;
    if (!LoadTheme(SkinPath(QStringLiteral("skins/") + sheetFile))) {
        return false;
    }
    for (QWidget* root : ui_internal::TextRoots()) {
        ui_internal::ReloadSkinImages(root);
    }
    return true;
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
    // The sheet may also name its images as "skins:<file>", the folder it lives in; a theme's
    // own images come first.
    QStringList imageFolders{base};
    if (!SkinVariantStore().isEmpty()) {
        imageFolders.prepend(base + QLatin1Char('/') + SkinVariantStore());
    }
    QDir::setSearchPaths(QStringLiteral("skins"), imageFolders);
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

void UiApplication::UseActivationToken(const QString& token) {
    if (!token.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
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
