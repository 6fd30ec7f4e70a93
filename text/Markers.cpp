#include "text/Markers.h"

#include <array>
#include <utility>

#include "platform/events/EventHook.h"
#include "text/Gbk.h"
#include "text/Primitives.h"
#include "text/TextSearch.h"

namespace singrove {
namespace {

// Callers write a double quote inside a marker of ExtractBetween as "#引号".
Text UnescapeQuotes(std::string_view marker) {
  static const Text kQuoteEscape = Gbk("#引号");
  return SubstituteText(marker, kQuoteEscape, "\"", {.caseSensitive = true});
}

}  // namespace

Text ExtractBetween(std::string_view source, std::string_view leftMarker,
                    std::string_view rightMarker, const ExtractBetweenOptions& options) {
  const Text left = UnescapeQuotes(leftMarker);
  const Text right = UnescapeQuotes(rightMarker);
  const int leftAt = LocateText(source, left, options.startPosition, options.ignoreCase);
  if (leftAt == -1) return {};
  const int pieceStart = leftAt + static_cast<int>(left.size());
  const int rightAt = LocateText(source, right, pieceStart, options.ignoreCase);
  if (rightAt == -1) return {};
  return MiddlePart(source, pieceStart, rightAt - pieceStart);
}

int ExtractAllBetween(std::string_view source, std::string_view leftMarker,
                      std::string_view rightMarker, TextArray& items,
                      const ExtractAllBetweenOptions& options) {
  items.clear();
  // With these the empty marker is found at the first byte on every turn and the loop never ends.
  if (leftMarker.empty() ||
      (rightMarker.empty() && (!options.prefix.empty() || !options.suffix.empty()))) {
    return 0;
  }
  // The event hook runs the window's handlers between turns, and they may rewrite the caller's
  // texts; the loop works on its own copies.
  const Text text(source);
  const Text left(leftMarker);
  const Text right(rightMarker);
  const Text prefix(options.prefix);
  const Text suffix(options.suffix);
  const int maxLength = options.maxLength;
  const bool includeLeft = options.includeLeft;
  const bool includeRight = options.includeRight;

  // The last piece that held only spaces. When the left marker is itself made of spaces, the next
  // pieces are shorter tails of it that end at the same right marker; they are known to be blank
  // without reading them again, which keeps a long run of spaces from costing quadratic time.
  bool blankKnown = false;
  std::size_t blankEnd = 0;
  CharStarts blankStarts(reinterpret_cast<const unsigned char*>(text.data()), 0);

  TextSearcher lefts(text, left, !options.caseSensitive);
  TextSearcher rights(text, right, !options.caseSensitive);
  std::size_t pos =
      options.startPosition < 1 ? 0 : static_cast<std::size_t>(options.startPosition) - 1;
  while (true) {
    const std::size_t leftAt = lefts.Find(pos);
    if (leftAt == TextSearcher::kNone) break;
    const std::size_t pieceStart = leftAt + left.size();
    const std::size_t rightAt = rights.Find(pieceStart);
    if (rightAt == TextSearcher::kNone) break;
    // An empty right marker is found at the first byte, before the piece: the piece is empty.
    const std::string_view piece =
        rightAt > pieceStart ? std::string_view(text).substr(pieceStart, rightAt - pieceStart)
                             : std::string_view();
    const bool blank = blankKnown && rightAt == blankEnd && pieceStart >= blankStarts.Known() &&
                       blankStarts.IsStart(pieceStart);
    const Text trimmed = blank ? Text() : StripSpaces(piece);
    if (!blank && trimmed.empty() && !piece.empty()) {
      blankKnown = true;
      blankEnd = rightAt;
      blankStarts = CharStarts(reinterpret_cast<const unsigned char*>(text.data()), pieceStart);
    }
    Text item = prefix + trimmed + suffix;
    if (!item.empty()) {
      if (includeLeft) item.insert(0, left);
      if (includeRight) item += right;
      if (maxLength != 0) {
        if (static_cast<long long>(item.size()) < maxLength) items.push_back(std::move(item));
        ProcessPendingEvents();
      } else {
        items.push_back(std::move(item));
      }
      // A right marker may also serve as the left marker of the next item.
      pos = rightAt;
    } else {
      pos = pieceStart;
    }
    for (int turn = 0; turn < 3; ++turn) ProcessPendingEvents();
  }
  return static_cast<int>(items.size());
}

Text ReplaceMany(std::string_view source, std::string_view find1, std::string_view replacement1,
                 const ReplaceManyOptions& options) {
  const SubstituteOptions substitute{
      .start = options.startPosition == 0 ? 1 : options.startPosition,
      .count = options.count,
      .caseSensitive = options.caseSensitive,
  };
  const std::array<std::pair<std::string_view, std::string_view>, 5> pairs{{
      {find1, replacement1},
      {options.find2, options.replacement2},
      {options.find3, options.replacement3},
      {options.find4, options.replacement4},
      {options.find5, options.replacement5},
  }};
  Text result(source);
  for (const auto& [find, replacement] : pairs) {
    if (!find.empty()) result = SubstituteText(result, find, replacement, substitute);
  }
  return result;
}

}  // namespace singrove
