// Display characters to Unicode: the 8-bit display character set is the
// Windows code page that matches the screen font's character set.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The iconv name of the code page for a font character set (0 Western,
// 238 Central European, 204 Cyrillic, 161 Greek, 162 Turkish; others Western).
const char* displayCodePageName(int fontCharset);

// BYTES, display characters of that code page, as UTF-8. A byte the code page
// leaves undefined becomes U+FFFD.
std::string displayToUtf8(std::string_view bytes, int fontCharset);

// UTF-8 TEXT as display characters of that code page; a character the code
// page lacks becomes '?'.
std::string utf8ToDisplay(std::string_view text, int fontCharset);

}  // namespace kestrel
