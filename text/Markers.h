#pragma once

#include <optional>
#include <string_view>

#include "text/Text.h"

namespace singrove {

struct ExtractBetweenOptions {
  int startPosition = 0;  // 1-based start of the search for the left marker; 0 and below: first byte
  bool ignoreCase = false;
};
// The first piece of source between leftMarker and rightMarker, untrimmed; "" when either marker is
// missing. In both markers "#引号" stands for a double quote.
Text ExtractBetween(std::string_view source, std::string_view leftMarker,
                    std::string_view rightMarker, const ExtractBetweenOptions& options = {});

struct ExtractAllBetweenOptions {
  bool caseSensitive = false;  // false: markers are found ignoring case
  int maxLength = 0;           // 0: no limit; else keep only items shorter than this
  std::string_view prefix{};
  std::string_view suffix{};
  bool includeLeft = false;
  bool includeRight = false;
  int startPosition = 0;
};
// Empties items, then appends every non-empty piece between the markers, trimmed of spaces and
// decorated; lets the toolkit process pending events while it runs. Returns the number of items.
// An empty leftMarker, or an empty rightMarker with a prefix or suffix, is refused: no items, 0.
int ExtractAllBetween(std::string_view source, std::string_view leftMarker,
                      std::string_view rightMarker, TextArray& items,
                      const ExtractAllBetweenOptions& options = {});

struct ReplaceManyOptions {
  std::optional<int> count{};  // per pair: at most this many replacements; 0 none; absent no limit
  int startPosition = 1;     // 0 means 1
  bool caseSensitive = false;
  std::string_view find2{}, replacement2{};
  std::string_view find3{}, replacement3{};
  std::string_view find4{}, replacement4{};
  std::string_view find5{}, replacement5{};
};
// The source after up to five replacements applied one after another, each on the result of the
// one before; a pair with an empty find text does nothing.
Text ReplaceMany(std::string_view source, std::string_view find1, std::string_view replacement1,
                 const ReplaceManyOptions& options = {});

}  // namespace singrove
