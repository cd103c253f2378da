// Integer settings in an INI file, such as the interface language in CONFIG.ini.
//
// Sections and keys match regardless of case, as INI files are read on the desktop the file
// comes from. Every read goes to the file (no caching), and a write changes only the one line of
// its key, so hand edits and other keys survive byte for byte.
#pragma once

#include <QString>

inline constexpr char kConfigFileName[] = "CONFIG.ini";
inline constexpr char kSettingSection[] = "SETTING";
inline constexpr char kLanguageIdKey[] = "lanId";

// The value of `key` in `section`, or `defaultValue` when the file, the section or the key is
// missing, or when the value does not begin with a decimal integer (its leading digits count:
// "3x" reads as 3).
int ReadIniInt(const QString& path, const QString& section, const QString& key, int defaultValue);

// Writes `value` in decimal: replaces the key's line, or adds the key to the end of its section,
// or adds the section to the end of the file (creating the file). The file is replaced whole or
// not at all. Returns false when it cannot be read or written.
bool WriteIniInt(const QString& path, const QString& section, const QString& key, int value);
