#include "text/Primitives.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/Gbk.h"
#include "text/TextSearch.h"

namespace singrove {
namespace {

constexpr unsigned char kSpace = 0x20;
constexpr unsigned char kIdeographicSpaceByte = 0xA1;  // the ideographic space is A1 A1

unsigned char ByteAt(std::string_view text, std::size_t k) {
  return static_cast<unsigned char>(text[k]);
}

// The length of the space that begins at k (a character start): 1, 2 for A1 A1, 0 for no space.
std::size_t SpaceLength(std::string_view text, std::size_t k) {
  if (ByteAt(text, k) == kSpace) return 1;
  if (ByteAt(text, k) == kIdeographicSpaceByte && k + 1 < text.size() &&
      ByteAt(text, k + 1) == kIdeographicSpaceByte) {
    return 2;
  }
  return 0;
}

// The length of the character that begins at k; a lead byte that ends the text stands alone.
std::size_t CharLength(std::string_view text, std::size_t k) {
  return (ByteAt(text, k) >= 0x80 && k + 1 < text.size()) ? 2 : 1;
}

unsigned char FoldToLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// The position (0-based, as a size) of a 1-based position; positions below 1 count as 1.
std::size_t ZeroBased(int position) {
  return position < 1 ? 0 : static_cast<std::size_t>(position) - 1;
}

Text Formatted(const char* format, double value) {
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, format, value);
  return length > 0 ? Text(buffer, static_cast<std::size_t>(length)) : Text();
}

// Full-width forms become their ASCII counterparts; other characters pass unchanged.
Text FoldFullWidth(std::string_view text) {
  Text folded;
  folded.reserve(text.size());
  for (std::size_t k = 0; k < text.size();) {
    const unsigned char lead = ByteAt(text, k);
    if (CharLength(text, k) == 1) {
      folded.push_back(static_cast<char>(lead));
      ++k;
      continue;
    }
    const unsigned char trail = ByteAt(text, k + 1);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      folded.push_back(static_cast<char>(trail - 0x80));
    } else if (lead == 0xA1 && trail == 0xA1) {
      folded.push_back(' ');
    } else if (lead == 0xA1 && trail == 0xAB) {
      folded.push_back('~');
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      folded.push_back('*');
    } else {
      folded.append(text.substr(k, 2));
    }
    k += 2;
  }
  return folded;
}

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int LocateText(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
  const std::size_t from = ZeroBased(start);
  if (from >= text.size()) return -1;
  if (needle.empty()) return 1;
  TextSearcher searcher(text, needle, ignoreCase);
  const std::size_t at = searcher.Find(from);
  return at == TextSearcher::kNone ? -1 : static_cast<int>(at + 1);
}

Text LeftPart(std::string_view text, int n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text RightPart(std::string_view text, int n) {
  if (n <= 0) return {};
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(n));
  return Text(text.substr(text.size() - length));
}

Text MiddlePart(std::string_view text, int start, int n) {
  if (start < 1 || n <= 0 || static_cast<std::size_t>(start) > text.size()) return {};
  return Text(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n)));
}

Text SubstituteText(std::string_view text, std::string_view find, std::string_view replacement,
                    const SubstituteOptions& options) {
  const std::size_t from = ZeroBased(options.start);
  const std::size_t limit =
      options.count ? static_cast<std::size_t>(std::max(0, *options.count)) : SIZE_MAX;
  if (text.empty() || find.empty() || from >= text.size() || limit == 0) return Text(text);
  Text result;
  result.reserve(text.size());
  result.append(text.substr(0, from));
  TextSearcher searcher(text, find, !options.caseSensitive);
  std::size_t pos = from;
  for (std::size_t replaced = 0; replaced < limit; ++replaced) {
    const std::size_t at = searcher.Find(pos);
    if (at == TextSearcher::kNone) break;
    result.append(text.substr(pos, at - pos));
    result.append(replacement);
    pos = at + find.size();
  }
  result.append(text.substr(std::min(pos, text.size())));
  return result;
}

TextArray SplitAtDelimiter(std::string_view text, std::string_view delimiter,
                           std::optional<int> maximumCount) {
  TextArray pieces;
  const std::size_t limit =
      maximumCount ? static_cast<std::size_t>(std::max(0, *maximumCount)) : SIZE_MAX;
  if (text.empty() || limit == 0) return pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  TextSearcher searcher(text, delimiter, false);
  std::size_t pos = 0;
  while (pieces.size() < limit) {
    const std::size_t at = searcher.Find(pos);
    if (at == TextSearcher::kNone) {
      if (pos < text.size()) pieces.emplace_back(text.substr(pos));
      break;
    }
    pieces.emplace_back(text.substr(pos, at - pos));
    pos = at + delimiter.size();
  }
  return pieces;
}

Text StripSpaces(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t space = SpaceLength(text, begin);
    if (space == 0) break;
    begin += space;
  }
  // The end of the last character that is not a space, found stepping forward by characters.
  std::size_t end = begin;
  for (std::size_t k = begin; k < text.size();) {
    const std::size_t space = SpaceLength(text, k);
    const std::size_t length = space != 0 ? space : CharLength(text, k);
    k += length;
    if (space == 0) end = k;
  }
  return Text(text.substr(begin, end - begin));
}

Text DropAllSpaces(std::string_view text) {
  Text result;
  result.reserve(text.size());
  std::size_t keptFrom = 0;  // the start of the run of characters not yet copied
  for (std::size_t k = 0; k < text.size();) {
    const std::size_t space = SpaceLength(text, k);
    if (space == 0) {
      k += CharLength(text, k);
      continue;
    }
    result.append(text.substr(keptFrom, k - keptFrom));
    k += space;
    keptFrom = k;
  }
  result.append(text.substr(keptFrom));
  return result;
}

// A two-byte character compared as a unit orders exactly like its two bytes compared in turn, and
// every lead byte sorts after every one-byte character, so byte order is character order.
int TextOrder(std::string_view a, std::string_view b, bool caseSensitive) {
  const std::size_t common = std::min(a.size(), b.size());
  if (caseSensitive) {
    const int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    if (order != 0) return order < 0 ? -1 : 1;
  } else {
    for (std::size_t k = 0; k < common; ++k) {
      const unsigned char x = FoldToLower(ByteAt(a, k));
      const unsigned char y = FoldToLower(ByteAt(b, k));
      if (x != y) return x < y ? -1 : 1;
    }
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int ParseInteger(std::string_view text) {
  const Text folded = FoldFullWidth(text);
  std::size_t k = 0;
  while (k < folded.size() && IsWhiteSpace(folded[k])) ++k;
  bool negative = false;
  if (k < folded.size() && (folded[k] == '+' || folded[k] == '-')) negative = folded[k++] == '-';
  // Unsigned arithmetic wraps: a number beyond the 32-bit range is not checked.
  std::uint32_t value = 0;
  for (; k < folded.size() && folded[k] >= '0' && folded[k] <= '9'; ++k) {
    value = value * 10u + static_cast<std::uint32_t>(folded[k] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

int FloorInteger(double x) {
  // Outside the 32-bit range the processor's conversion gives its "integer indefinite" value.
  if (!std::isfinite(x)) return INT_MIN;
  const double whole = std::trunc(x);
  if (std::fabs(x - whole) > 0.999999999999) x = whole + (x > 0 ? 1.0 : -1.0);
  const double floored = std::floor(x);
  if (floored < static_cast<double>(INT_MIN) || floored > static_cast<double>(INT_MAX)) {
    return INT_MIN;
  }
  return static_cast<int>(floored);
}

Text FormatAsText(int value) {
  char buffer[16];
  const int length = std::snprintf(buffer, sizeof buffer, "%d", value);
  return Text(buffer, static_cast<std::size_t>(length));
}

Text FormatAsText(float value) {
  return Formatted("%.6g", static_cast<double>(value));
}

Text FormatAsText(double value) {
  return Formatted("%.13g", value);
}

Text FormatAsText(bool value) {
  static const Text kTrue = Gbk("真");
  static const Text kFalse = Gbk("假");
  return value ? kTrue : kFalse;
}

Text CharText(int code) {
  const auto byte = static_cast<char>(static_cast<unsigned char>(code & 0xFF));
  return byte == 0 ? Text() : Text(1, byte);
}

}  // namespace singrove
