#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Windows-1252 is the code page of both files the alarm program reads; the
// program itself works in UTF-8. These are the only conversions between them.
namespace dravel::config {

// A character Windows-1252 cannot hold (or malformed UTF-8) becomes '?',
// as the platform's ANSI functions write it.
std::string utf8ToCp1252(std::string_view utf8);
std::string cp1252ToUtf8(std::string_view cp1252);

// The characters of a UTF-8 text that Windows-1252 cannot hold, each once,
// in the order they first appear; malformed bytes are such characters too.
std::vector<std::string> charactersOutsideCp1252(std::string_view utf8);

// Number of characters (code points) in a UTF-8 text.
std::size_t utf8Length(std::string_view utf8);

// The first maxChars characters of a UTF-8 text.
std::string utf8Left(std::string_view utf8, std::size_t maxChars);

// Upper case of one Windows-1252 byte, covering its accented letters.
unsigned char cp1252Upper(unsigned char c);

// Case-insensitive equality of two Windows-1252 texts.
bool cp1252EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace dravel::config
