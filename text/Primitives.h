#pragma once

#include <optional>
#include <string_view>

#include "text/Text.h"

namespace singrove {

// Position (1-based) of the first occurrence of needle that begins at or after start, trying only
// character starts (a byte of 0x80 or above begins a two-byte character); -1 when there is none.
// A start below 1 counts as 1. An empty needle is found at 1 when the stretch from start is not empty.
int LocateText(std::string_view text, std::string_view needle, int start = 1,
               bool ignoreCase = false);

// The first n bytes; the whole text when n is at least its length; "" when n is 0 or less.
Text LeftPart(std::string_view text, int n);
// The last n bytes, in the same way.
Text RightPart(std::string_view text, int n);
// The n bytes that begin at start (1-based), cut off at the end; "" when start is outside the text.
Text MiddlePart(std::string_view text, int start, int n);

struct SubstituteOptions {
  int start = 1;                 // the part before it is copied unchanged; below 1 counts as 1
  std::optional<int> count{};    // at most this many replacements; none when 0; no limit when absent
  bool caseSensitive = false;    // false: ASCII letters match ignoring case
};
// The text with find replaced by replacement, scanning by characters from start; matches do not
// overlap and inserted text is not searched again.
Text SubstituteText(std::string_view text, std::string_view find, std::string_view replacement = {},
                    const SubstituteOptions& options = {});

// The pieces between exact occurrences of delimiter (found by characters). Empty pieces before and
// between delimiters are items; the piece after the last one only when it is not empty. At most
// maximumCount pieces when given (negative counts as 0). An empty delimiter gives the whole text.
TextArray SplitAtDelimiter(std::string_view text, std::string_view delimiter = ",",
                           std::optional<int> maximumCount = std::nullopt);

// The text without spaces (0x20 and the ideographic space A1 A1) at both ends.
Text StripSpaces(std::string_view text);
// The text without any space.
Text DropAllSpaces(std::string_view text);

// Negative, 0 or positive as a sorts before, equals or sorts after b; two-byte characters compare as
// units; without caseSensitive ASCII letters compare ignoring case.
int TextOrder(std::string_view a, std::string_view b, bool caseSensitive);

// A 32-bit integer read after folding full-width forms: leading white space, optional sign, digits.
int ParseInteger(std::string_view text);

// The greatest integer not above x; a fractional part beyond 0.999999999999 in magnitude first
// moves x to the next whole number away from zero.
int FloorInteger(double x);

// Decimal ("%d"), 32-bit float ("%.6g"), double ("%.13g"), boolean ("真" or "假" in GBK).
Text FormatAsText(int value);
Text FormatAsText(float value);
Text FormatAsText(double value);
Text FormatAsText(bool value);

// The one-byte text of the low byte of code; "" for 0.
Text CharText(int code);

}  // namespace singrove
