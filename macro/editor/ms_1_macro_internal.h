// What the files of the macro editor's window share.
#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcMacroEditor)

inline constexpr int kMacroRowHeight = 29;
inline constexpr int kImportedMacroRowHeight = 30;

// The pages of the edit pane's tab layout.
inline constexpr int kEditPageNone = 0;
inline constexpr int kEditPageKey = 1;
inline constexpr int kEditPageMouse = 2;

inline const QString kWarningTitle = QStringLiteral("warning_title_text");
