#pragma once

#include <string>
#include <string_view>

namespace dravel::devices {

// The one conversion between the program's UTF-8 texts and the UTF-16 of the Windows wide
// functions. Every file name the Windows back-ends hand to the system passes through it, so a
// program folder with umlauts or outside the ANSI code page works everywhere alike. Invalid
// UTF-8 becomes U+FFFD, which no existing file name holds, rather than a shortened name.
std::wstring toUtf16(std::string_view utf8);
std::string fromUtf16(std::wstring_view utf16);

}  // namespace dravel::devices
