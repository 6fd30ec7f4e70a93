#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace singrove {

// The command line speaks UTF-8; the program's texts are GBK. These convert at that edge.

// The UTF-8 form of a program text; a byte sequence that is not GBK becomes U+FFFD.
std::string TerminalText(std::string_view gbk);

// The program text of a UTF-8 argument into *text; false, leaving *text alone, when the argument
// is not UTF-8 or holds a character that GBK lacks (the text would name something else).
bool ArgumentText(std::string_view utf8, Text* text);

// The bytes as UTF-8, each sequence that is not UTF-8 replaced by U+FFFD: arguments echoed in
// messages.
std::string ValidUtf8(std::string_view bytes);

// A JSON string literal of UTF-8 text, quotes included: '"' and '\' escaped, control characters
// as \u00XX, everything else as it stands.
std::string JsonString(std::string_view utf8);

}  // namespace singrove
