#pragma once

#include <optional>
#include <string_view>

#include "text/Text.h"

// Slow, plain versions of the text primitives, written straight from their rules, for the fuzz
// targets to hold the real ones against. Each walks the text one character at a time: a byte of
// 0x80 or above begins a two-byte character, except when it is the last byte.
namespace singrove::reference {

// The length (1 or 2) of the character that begins at byte k.
std::size_t CharLength(std::string_view text, std::size_t k);

// True when needle's bytes stand at byte k of text; ignoring case folds A-Z onto a-z, all else
// equal.
bool MatchesAt(std::string_view text, std::size_t k, std::string_view needle, bool ignoreCase);

// LocateText by trying every character start counted from start.
int Locate(std::string_view text, std::string_view needle, int start = 1, bool ignoreCase = false);

// SubstituteText by walking the characters from start and testing a match at each.
Text Substitute(std::string_view text, std::string_view find, std::string_view replacement,
                int start, std::optional<int> count, bool caseSensitive);

// SplitAtDelimiter by walking the characters and cutting at each exact delimiter.
TextArray Split(std::string_view text, std::string_view delimiter, std::optional<int> maximumCount);

// True when the character at byte k is a space: 0x20, or the ideographic space A1 A1.
bool IsSpaceAt(std::string_view text, std::size_t k);

// StripSpaces and DropAllSpaces over the list of characters.
Text Strip(std::string_view text);
Text DropSpaces(std::string_view text);

// ExtractBetween: the first piece after leftMarker (searched from start) and before rightMarker,
// with "#引号" in the markers read as a double quote; "" when either is missing.
Text Between(std::string_view source, std::string_view leftMarker, std::string_view rightMarker,
             int start = 0, bool ignoreCase = false);

// ParseInteger: full-width forms folded, white space, sign, digits, wrapping at 32 bits.
int ParseInt(std::string_view text);

}  // namespace singrove::reference
