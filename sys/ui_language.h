// The user's interface language, told as a Windows language id, and the program's own language
// ids (1 Chinese, 2 English, 3 Russian, 4 Spanish) that choose a language file.
#pragma once

#include <cstdint>

#include <QLocale>

inline constexpr uint16_t kUiLanguageChineseSimplified = 0x0804;
inline constexpr uint16_t kUiLanguageEnglishUs = 0x0409;
inline constexpr uint16_t kUiLanguageRussian = 0x0419;
inline constexpr uint16_t kUiLanguageSpanish = 0x0C0A;

inline constexpr int kLanguageChinese = 1;
inline constexpr int kLanguageEnglish = 2;
inline constexpr int kLanguageRussian = 3;
inline constexpr int kLanguageSpanish = 4;

// Simplified Chinese, Russian and Spanish give their ids; every other language gives 0x0409.
uint16_t UiLanguageIdOf(const QLocale& locale);

// UiLanguageIdOf(QLocale::system()).
uint16_t UserUiLanguageId();

// The program's language for a Windows language id; English for every id without its own file.
int ProgramLanguageOf(uint16_t uiLanguageId);
