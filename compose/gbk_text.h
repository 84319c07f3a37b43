#pragma once
// The border between the Unicode of the window and the command line (UTF-8) and the GBK byte
// strings of the picture core. Neither direction depends on the process's locale.
#include <string>
#include <string_view>

// UTF-8 to GBK. A character GBK cannot hold becomes "?", as a GBK edit box would show it;
// so does each byte that does not begin a well-formed UTF-8 character (a stray continuation
// byte, an overlong form, a surrogate, a cut-off sequence), and the text goes on after it.
std::string Utf8ToGbk(std::string_view utf8);

// GBK to UTF-8. A two-byte unit that is not a GBK character, the byte 0xFF and a lone lead
// byte at the end become U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

// GBK to code points, one per character as gbk_scan.h cuts them: a lead byte (0x81 to 0xFE)
// and the byte after it are one character, every other byte is one of its own (0x80 is "€").
// Units that are not GBK give U+FFFD.
std::u32string GbkToCodePoints(std::string_view gbk);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t c);
