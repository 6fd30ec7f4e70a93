#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace singrove {

// The UTF-16LE form of a GBK text as bytes, ending with a two-byte zero terminator unless
// dropTerminator is set; the text is read up to its first NUL. An empty text gives empty bytes
// (no terminator).
Bytes TextToWide(std::string_view text, bool dropTerminator = false);

// The GBK text of UTF-16LE bytes (their length halved, rounded down, is the number of units), with
// base characters and combining marks composed where GBK has the composed letter; the result ends
// at its first NUL.
Text WideToText(const Bytes& bytes);

// The UTF-16 string of a GBK text, read up to its first NUL; no terminator in the string.
std::u16string TextToUtf16(std::string_view text);

// The GBK text of a UTF-16 string, converted as it is (no composing, unlike WideToText); it ends at
// the first NUL.
Text Utf16ToText(std::u16string_view wide);

}  // namespace singrove
