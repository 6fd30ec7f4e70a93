#include "fuzz/TextReference.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "text/Gbk.h"

namespace singrove::reference {
namespace {

unsigned char At(std::string_view text, std::size_t k) {
  return static_cast<unsigned char>(text[k]);
}

unsigned char Lower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

std::size_t FromPosition(int position) {
  return position < 1 ? 0 : static_cast<std::size_t>(position) - 1;
}

// A lead byte that is the last byte of the text: the scan ends there.
bool IsLoneLeadAt(std::string_view text, std::size_t k) {
  return At(text, k) >= 0x80 && k + 1 == text.size();
}

struct Character {
  std::size_t at;
  std::size_t length;
};

std::vector<Character> Characters(std::string_view text) {
  std::vector<Character> characters;
  for (std::size_t k = 0; k < text.size(); k += CharLength(text, k)) {
    characters.push_back({k, CharLength(text, k)});
  }
  return characters;
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t k) {
  return At(text, k) >= 0x80 && k + 1 < text.size() ? 2 : 1;
}

bool MatchesAt(std::string_view text, std::size_t k, std::string_view needle, bool ignoreCase) {
  if (k + needle.size() > text.size()) return false;
  for (std::size_t i = 0; i < needle.size(); ++i) {
    const unsigned char a = At(text, k + i);
    const unsigned char b = At(needle, i);
    if (ignoreCase ? Lower(a) != Lower(b) : a != b) return false;
  }
  return true;
}

int Locate(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
  const std::size_t from = FromPosition(start);
  if (from >= text.size()) return -1;
  if (needle.empty()) return 1;
  for (std::size_t k = from; k < text.size(); k += CharLength(text, k)) {
    if (IsLoneLeadAt(text, k)) return -1;
    if (MatchesAt(text, k, needle, ignoreCase)) return static_cast<int>(k + 1);
  }
  return -1;
}

Text Substitute(std::string_view text, std::string_view find, std::string_view replacement,
                int start, std::optional<int> count, bool caseSensitive) {
  const std::size_t from = FromPosition(start);
  const int limit = count ? std::max(0, *count) : -1;
  if (text.empty() || find.empty() || from >= text.size() || limit == 0) return Text(text);
  Text result(text.substr(0, from));
  int replaced = 0;
  std::size_t k = from;
  while (k < text.size()) {
    if ((limit < 0 || replaced < limit) && !IsLoneLeadAt(text, k) &&
        MatchesAt(text, k, find, !caseSensitive)) {
      result += replacement;
      k += find.size();
      ++replaced;
    } else {
      result += text.substr(k, CharLength(text, k));
      k += CharLength(text, k);
    }
  }
  return result;
}

TextArray Split(std::string_view text, std::string_view delimiter,
                std::optional<int> maximumCount) {
  const std::size_t limit =
      maximumCount ? static_cast<std::size_t>(std::max(0, *maximumCount)) : text.size() + 1;
  TextArray pieces;
  if (text.empty() || limit == 0) return pieces;
  if (delimiter.empty()) return {Text(text)};
  Text piece;
  std::size_t k = 0;
  while (k < text.size() && pieces.size() < limit) {
    if (!IsLoneLeadAt(text, k) && MatchesAt(text, k, delimiter, false)) {
      pieces.push_back(piece);
      piece.clear();
      k += delimiter.size();
    } else {
      piece += text.substr(k, CharLength(text, k));
      k += CharLength(text, k);
    }
  }
  if (!piece.empty() && pieces.size() < limit) pieces.push_back(piece);
  return pieces;
}

bool IsSpaceAt(std::string_view text, std::size_t k) {
  return At(text, k) == 0x20 ||
         (CharLength(text, k) == 2 && At(text, k) == 0xA1 && At(text, k + 1) == 0xA1);
}

Text Strip(std::string_view text) {
  const std::vector<Character> characters = Characters(text);
  std::size_t first = 0;
  std::size_t last = characters.size();
  while (first < last && IsSpaceAt(text, characters[first].at)) ++first;
  while (last > first && IsSpaceAt(text, characters[last - 1].at)) --last;
  if (first == last) return {};
  const std::size_t begin = characters[first].at;
  const std::size_t end = characters[last - 1].at + characters[last - 1].length;
  return Text(text.substr(begin, end - begin));
}

Text DropSpaces(std::string_view text) {
  Text result;
  for (const Character& character : Characters(text)) {
    if (!IsSpaceAt(text, character.at)) result += text.substr(character.at, character.length);
  }
  return result;
}

Text Between(std::string_view source, std::string_view leftMarker, std::string_view rightMarker,
             int start, bool ignoreCase) {
  static const Text kQuoteEscape = Gbk("#引号");
  const Text left = Substitute(leftMarker, kQuoteEscape, "\"", 1, std::nullopt, true);
  const Text right = Substitute(rightMarker, kQuoteEscape, "\"", 1, std::nullopt, true);
  const int leftAt = Locate(source, left, start, ignoreCase);
  if (leftAt == -1) return {};
  const int pieceStart = leftAt + static_cast<int>(left.size());
  const int rightAt = Locate(source, right, pieceStart, ignoreCase);
  if (rightAt <= pieceStart) return {};
  return Text(source.substr(static_cast<std::size_t>(pieceStart - 1),
                            static_cast<std::size_t>(rightAt - pieceStart)));
}

int ParseInt(std::string_view text) {
  Text folded;
  for (const Character& c : Characters(text)) {
    const unsigned char lead = At(text, c.at);
    const unsigned char trail = c.length == 2 ? At(text, c.at + 1) : 0;
    if (c.length == 2 && lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      folded += static_cast<char>(trail - 0xA1 + 0x21);
    } else if (c.length == 2 && lead == 0xA1 && trail == 0xA1) {
      folded += ' ';
    } else if (c.length == 2 && lead == 0xA1 && trail == 0xAB) {
      folded += '~';
    } else if (c.length == 2 && lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      folded += '*';
    } else {
      folded += text.substr(c.at, c.length);
    }
  }
  std::size_t k = 0;
  while (k < folded.size() &&
         std::string_view(" \t\n\v\f\r").find(folded[k]) != std::string_view::npos) {
    ++k;
  }
  bool negative = false;
  if (k < folded.size() && (folded[k] == '-' || folded[k] == '+')) negative = folded[k++] == '-';
  // Kept modulo 2^32, as the 32-bit result wraps for numbers beyond its range.
  std::uint64_t value = 0;
  for (; k < folded.size() && folded[k] >= '0' && folded[k] <= '9'; ++k) {
    value = (value * 10 + static_cast<std::uint64_t>(folded[k] - '0')) % (std::uint64_t{1} << 32);
  }
  if (negative) value = ((std::uint64_t{1} << 32) - value) % (std::uint64_t{1} << 32);
  return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

}  // namespace singrove::reference
