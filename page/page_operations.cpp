#include "page/page_operations.h"

#include "macro/import_result.h"
#include "page/profile_list.h"
#include "page/profile_store.h"

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
    return OutcomeOf(profiles_.ImportFile(file), file, "profile");
}

PageOperations::Outcome PageOperations::ImportMacro(const NativePath& file) {
    return OutcomeOf(store_.Macros().Import(file), file, "macro");
}
