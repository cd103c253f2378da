#include "page/page_operations.h"

#include "exchange/backup_restore.h"
#include "exchange/profile_file.h"
#include "macro/import_result.h"
#include "page/profile_list.h"
#include "page/profile_store.h"
#include "sys/printable_text.h"

namespace {

using Outcome = PageOperations::Outcome;

Outcome Done(const QString& name) {
    Outcome done;
    done.done = true;
    done.name = name;
    return done;
}

Outcome Refused(const QString& error) {
    Outcome refused;
    refused.error = error;
    return refused;
}

PageOperations::Outcome OutcomeOf(const ImportResult& result, const NativePath& file,
                                  const char* what) {
    if (result.Ok()) {
        return Done(result.name);
    }
    return Refused(DescribeImportError(result, file, what));
}

}  // namespace

PageOperations::Outcome PageOperations::ImportProfile(const NativePath& file) {
    // The same reading as talvorectl's own import: a *.pro or the JSON `show` prints.
    QString error;
    auto record = ReadProfileFile(file, error);
    if (!record) {
        return Refused(error + QStringLiteral("; nothing was changed"));
    }
    return OutcomeOf(profiles_.ImportRecord(std::move(record)), file, "profile");
}

PageOperations::Outcome PageOperations::ImportMacro(const NativePath& file) {
    return OutcomeOf(store_.Macros().Import(file), file, "macro");
}

PageOperations::Outcome PageOperations::SelectProfile(const QString& name) {
    const int index = store_.WithLock([&name](ProfileStore& s) {
        for (int i = 0; i < s.Count(); ++i) {
            if (ProfileName(s.At(i)) == name) {
                return i;
            }
        }
        return -1;
    });
    if (index < 0) {
        Outcome refused = Refused(QStringLiteral("no profile is named %1; nothing was changed")
                                      .arg(EscapeControls(name)));
        refused.noSuchProfile = true;
        return refused;
    }
    profiles_.ShowSelected(index);
    return Done(name);
}

PageOperations::Outcome PageOperations::RestoreBackup(const NativePath& file) {
    const BackupRead read = ReadBackupFile(file);
    if (!read.backup) {
        return Refused(read.error + QStringLiteral("; nothing was changed"));
    }
    // What the page holds reaches the disk first, so the copies kept aside are of it.
    if (const StoreWriteResult saved = store_.SaveProfiles(); !saved) {
        return Refused(DescribeFileError(saved.error, saved.path) +
                       QStringLiteral("; nothing was changed"));
    }
    RestoreOutcome restored = ::RestoreBackup(store_, *read.backup, file);
    if (!restored.done) {
        return Refused(restored.error);
    }
    profiles_.Refill();
    Outcome outcome = Done({});
    outcome.lines = std::move(restored.lines);
    return outcome;
}

PageOperations::Outcome PageOperations::Apply() {
    apply_();
    return Done({});
}
