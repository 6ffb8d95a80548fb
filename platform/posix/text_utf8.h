// Text from the settings as UTF-8, for Pango and GTK. Texts are UTF-8 on
// Linux; a byte that does not fit is taken as Windows code page 1252, as
// the settings of a Windows installation may hold it, so that nothing the
// user wrote there is lost on the way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindlemar::posix {

// A byte as code page 1252 reads it; its 0x80..0x9F are printable where
// Latin-1 has control codes.
uint32_t Cp1252(uint8_t b);
// Appends the code point (below U+10000) in UTF-8.
void AppendUtf8(std::string& out, uint32_t c);
// The text with its valid UTF-8 kept and every other byte read as code page
// 1252; NUL bytes are dropped.
std::string TextAsUtf8(std::string_view text);

}  // namespace brindlemar::posix
