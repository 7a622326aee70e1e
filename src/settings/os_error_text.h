#pragma once
// The operating system's error numbers in the player's words: the game's
// boxes are Russian, and the C library speaks the language of the locale
// (English, as the game never sets one).

#include <string>

namespace klv {

// "нет доступа" for EACCES, and so on; an error without words of its own is
// named by its number ("системная ошибка 123").
std::string OsErrorText(int error);

}  // namespace klv
