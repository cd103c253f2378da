#include "macro/import_result.h"

QString DescribeImportError(const ImportResult& result, const NativePath& path, const char* what) {
    const QLatin1String kind(what);
    switch (result.error) {
        case ImportError::CannotOpen:
            return QStringLiteral("cannot read %1").arg(path.Display());
        case ImportError::TooShort:
            return QStringLiteral("%1 is shorter than one %2").arg(path.Display(), kind);
        case ImportError::NotRegular:
            return DescribeFileError(FileError::NotRegular, path);
        case ImportError::CannotSave:
            if (result.failure.path.IsEmpty()) {
                return QStringLiteral("the %1 store could not be written; nothing was changed")
                    .arg(kind);
            }
            return DescribeFileError(result.failure.error, result.failure.path) +
                   QLatin1String("; nothing was changed");
        case ImportError::StoreFull:
            return QStringLiteral(
                       "the stores hold as much as they can (%1 profiles, %2 macros); the %3 was "
                       "not added, nothing was changed")
                .arg(kMaxProfileCount)
                .arg(kMaxMacroCount)
                .arg(kind);
        case ImportError::None:
            break;
    }
    return {};
}
