#pragma once
// Code page 1251: the game holds its texts (settings, names, the score record)
// as single bytes of this code page and converts at the edges.

#include <string>
#include <string_view>

namespace klv {

// The Unicode code point of a code page 1251 byte (0 for the one unused byte).
char32_t Cp1251ToUnicode(unsigned char c);
// The byte for a code point, or -1 when the code page has none.
int UnicodeToCp1251(char32_t cp);

std::string Cp1251ToUtf8(std::string_view cp1251);
// Characters without a code page 1251 byte, and malformed UTF-8, are dropped.
std::string Utf8ToCp1251(std::string_view utf8);

// Lower case within the code page (Latin and Cyrillic letters).
unsigned char Cp1251Lower(unsigned char c);
// Whether two code page 1251 texts are equal but for case (picture names,
// the colour names of an image-collection file).
bool SameNoCase(std::string_view a, std::string_view b);

}  // namespace klv
