#include "ui/language_manager.h"

#include <QLoggingCategory>

#include "ui/ui_application.h"
#include "ui/ui_internal.h"
#include "ui/window_registry.h"

namespace {
Q_LOGGING_CATEGORY(lcLanguage, "talvore.ui.language")
}

LanguageManager& LanguageManager::Instance() {
    static LanguageManager manager;
    return manager;
}

bool LanguageManager::Load(const QString& file) {
    if (!file_.Load(UiApplication::SkinPath(file))) {
        qCWarning(lcLanguage) << "language file not loaded:" << file_.ErrorString();
        return false;
    }
    return true;
}

bool LanguageManager::Switch(const QString& file) {
    const bool loaded = Load(file);
    ReloadAllTexts();
    return loaded;
}

void LanguageManager::ReloadAllTexts() const {
    for (QWidget* root : ui_internal::TextRoots()) {
        ui_internal::ApplyTextKeys(root);
    }
}

QString LanguageManager::Text(const QString& key) const {
    return file_.Text(key);
}

namespace ui_internal {
QString DisplayText(const QString& key) {
    const QString text = LanguageManager::Instance().Text(key);
    return text.isEmpty() ? key : text;
}
}  // namespace ui_internal
