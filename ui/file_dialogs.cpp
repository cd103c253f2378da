#include "ui/file_dialogs.h"

#include <QFileDialog>

#include "ui/test_hook.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

namespace {

QString FilterLine(const FileFilter& filter) {
    return QStringLiteral("%1 (%2)").arg(filter.description,
                                         filter.patterns.join(QLatin1Char(' ')));
}

QString Run(WindowImplBase* owner, const FileDialogRequest& request) {
    if (auto scripted = TestHook::TakeFileDialog(request)) {
        return *scripted;
    }
    if (UiApplication::Ending()) {
        return {};
    }
    QFileDialog dialog(owner != nullptr ? owner->RootWidget() : nullptr);
    dialog.setNameFilter(FilterLine(request.filter));
    if (!request.initialFolder.isEmpty()) {
        dialog.setDirectory(request.initialFolder);
    }
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultExtension);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.promptOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString GetOpenFilePath(WindowImplBase* owner, const FileFilter& filter,
                        const QString& initialFolder) {
    FileDialogRequest request;
    request.filter = filter;
    request.initialFolder = initialFolder;
    return Run(owner, request);
}

QString GetSaveFilePath(WindowImplBase* owner, const FileFilter& filter,
                        const QString& defaultExtension, const QString& initialFolder,
                        bool promptOverwrite) {
    FileDialogRequest request;
    request.save = true;
    request.filter = filter;
    request.defaultExtension = defaultExtension;
    request.initialFolder = initialFolder;
    request.promptOverwrite = promptOverwrite;
    return Run(owner, request);
}
