#include "dialogs/import_messages.h"

#include "dialogs/msg_wnd.h"
#include "macro/import_result.h"

void TellImportFailed(WindowImplBase* owner, const ImportResult& result) {
    const QString title = QStringLiteral("warning_title_text");
    switch (result.error) {
        case ImportError::None:
            return;
        case ImportError::CannotSave:
            CMsgWnd::Show(owner, title, QLatin1String(kImportNotSavedTextKey),
                          CMsgWnd::Kind::kWarning);
            return;
        case ImportError::StoreFull:
            CMsgWnd::Show(owner, title, QLatin1String(kStoreFullTextKey), CMsgWnd::Kind::kWarning);
            return;
        case ImportError::Refused:
            break;
        default:
            CMsgWnd::Show(owner, title, QLatin1String(kImportFailedTextKey),
                          CMsgWnd::Kind::kWarning);
            return;
    }
    // The message names the first value the mouse would not take, as the record holds it.
    const RecordFault fault = result.fault.value_or(RecordFault{});
    switch (fault.kind) {
        case RecordFault::Kind::NotText:
            CMsgWnd::Show(owner, title, QLatin1String(kImportRefusedNameTextKey),
                          CMsgWnd::Kind::kWarning, {fault.field});
            break;
        case RecordFault::Kind::NoLeftClick:
            CMsgWnd::Show(owner, title, QLatin1String(kImportRefusedLeftClickTextKey),
                          CMsgWnd::Kind::kWarning);
            break;
        case RecordFault::Kind::OutOfRange:
            CMsgWnd::Show(owner, title, QLatin1String(kImportRefusedTextKey),
                          CMsgWnd::Kind::kWarning,
                          {fault.field, QString::number(fault.value), fault.accepted});
            break;
    }
}
