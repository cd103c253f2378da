// The macro editor's *.macro files: importing one into the list, exporting the open macro.
#include "macro/editor/ms_1_macro.h"

#include "dialogs/msg_wnd.h"
#include "macro/editor/ms_1_macro_internal.h"
#include "macro/macro_store.h"
#include "ui/file_dialogs.h"

namespace {

FileFilter MacroFileFilter() {
    return {QStringLiteral("Macro Flie"), {QStringLiteral("*.macro"), QStringLiteral("*.MACRO")}};
}

}  // namespace

void CMS_1_Macro::ImportMacro() {
    if (buffer_.recording) {
        StopRecording();
    }
    const QString path = GetOpenFilePath(this, MacroFileFilter(), services_.dataFolder);
    if (path.isEmpty()) {
        return;
    }
    const ImportResult result = services_.store.Import(path);
    if (!result.Ok()) {
        qCWarning(lcMacroEditor).noquote() << "cannot import" << path;
        const char* key = result.error == ImportError::CannotSave  ? kImportNotSavedTextKey
                          : result.error == ImportError::StoreFull ? kStoreFullTextKey
                                                                   : kImportFailedTextKey;
        CMsgWnd::Show(this, kWarningTitle, QLatin1String(key), CMsgWnd::Kind::kWarning);
        return;
    }
    const int row = macroList_.AddLabel(result.name, kImportedMacroRowHeight);
    macroList_.Select(row, TakeFocus::kNo, Notify::kYes);
}

void CMS_1_Macro::ExportMacro() {
    if (current_ == nullptr) {
        return;
    }
    const QString path = GetSaveFilePath(this, MacroFileFilter(), QStringLiteral("macro"),
                                         services_.dataFolder, true);
    if (path.isEmpty()) {
        return;
    }
    if (!services_.store.Export(currentIndex_, path)) {
        qCWarning(lcMacroEditor).noquote() << "cannot write" << path;
        CMsgWnd::Show(this, kWarningTitle, QStringLiteral("macro_export_failed_text"),
                      CMsgWnd::Kind::kWarning);
    }
}
