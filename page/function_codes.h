// The functions a mouse button can take: the code stored in its entry, the language key of the
// text its label shows, and the name of the menu item that chooses it.
#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// The language key of a function's label; empty for codes without a text (their label is empty).
QString FunctionTextKey(uint8_t code);

// The code of a menu item, compared without regard to case; nothing for an unknown name.
std::optional<uint8_t> FunctionOfMenuItem(const QString& itemName);

// The menu item that chooses a function; empty for codes no menu offers.
QString MenuItemOfFunction(uint8_t code);
