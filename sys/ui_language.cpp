#include "sys/ui_language.h"

uint16_t UiLanguageIdOf(const QLocale& locale) {
    switch (locale.language()) {
        case QLocale::Chinese:
            // Traditional Chinese (Taiwan, Hong Kong, Macau) has no language file of its own.
            return locale.script() == QLocale::SimplifiedHanScript ? kUiLanguageChineseSimplified
                                                                   : kUiLanguageEnglishUs;
        case QLocale::Russian:
            return kUiLanguageRussian;
        case QLocale::Spanish:
            return kUiLanguageSpanish;
        default:
            return kUiLanguageEnglishUs;
    }
}

uint16_t UserUiLanguageId() {
    return UiLanguageIdOf(QLocale::system());
}

int ProgramLanguageOf(uint16_t uiLanguageId) {
    switch (uiLanguageId) {
        case kUiLanguageChineseSimplified:
            return kLanguageChinese;
        case kUiLanguageRussian:
            return kLanguageRussian;
        case kUiLanguageSpanish:
            return kLanguageSpanish;
        default:
            return kLanguageEnglish;
    }
}
