#include "page/page_operations.h"

#include "exchange/profile_file.h"
#include "macro/import_result.h"
#include "page/profile_list.h"
#include "page/profile_store.h"
#include "sys/printable_text.h"

namespace {

PageOperations::Outcome OutcomeOf(const ImportResult& result, const NativePath& file,
                                  const char* what) {
    if (result.Ok()) {
        return {true, result.name, {}};
    }
    return {false, {}, DescribeImportError(result, file, what)};
}

}  // namespace

PageOperations::Outcome PageOperations::ImportProfile(const NativePath& file) {
    // The same reading as talvorectl's own import: a *.pro or the JSON `show` prints.
    QString error;
    auto record = ReadProfileFile(file, error);
    if (!record) {
        return {false, {}, error + QStringLiteral("; nothing was changed")};
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
        Outcome refused{false,
                        {},
                        QStringLiteral("no profile is named %1; nothing was changed")
                            .arg(EscapeControls(name))};
        refused.noSuchProfile = true;
        return refused;
    }
    profiles_.ShowSelected(index);
    return {true, name, {}};
}

PageOperations::Outcome PageOperations::Apply() {
    apply_();
    return {true, {}, {}};
}
