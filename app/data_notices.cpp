#include "app/data_notices.h"

#include "dialogs/msg_wnd.h"
#include "link/program_messages.h"

void DataNotices::SaveFailed() {
    if (!saveFailureTold_.exchange(true)) {
        poster_.Post(program_messages::kDataNotSaved);
    }
}

void DataNotices::StoresKeptAside() {
    poster_.Post(program_messages::kStoreKeptAside);
}

bool DataNotices::Handle(WindowImplBase& owner, unsigned message) {
    const char* key = nullptr;
    if (message == program_messages::kDataNotSaved) {
        key = kDataNotSavedTextKey;
    } else if (message == program_messages::kStoreKeptAside) {
        key = kStoreKeptAsideTextKey;
    } else {
        return false;
    }
    CMsgWnd::Show(&owner, QStringLiteral("warning_title_text"), QLatin1String(key),
                  CMsgWnd::Kind::kWarning);
    return true;
}
