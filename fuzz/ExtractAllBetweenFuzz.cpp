// ExtractAllBetween against the reference search. Every item, its decoration taken off, is a piece
// of the source; the pieces stand in the source in the order of the items; no item is empty; and
// the loop ends for any markers, empty ones included (counted through the event hook, which it
// calls at most four times a turn, with at most one turn per byte of the source).
// Input: flags (bit 0: case sensitive, bit 1: include left, bit 2: include right), maxLength,
// start position, then the texts source, leftMarker, rightMarker, prefix and suffix.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/TextReference.h"
#include "platform/events/EventHook.h"
#include "text/Markers.h"

namespace {

using singrove::ExtractAllBetweenOptions;
using singrove::Text;
using singrove::TextArray;
namespace reference = singrove::reference;

std::size_t gEventCalls = 0;

TextArray ExpectedItems(std::string_view source, std::string_view left, std::string_view right,
                        const ExtractAllBetweenOptions& options) {
  TextArray items;
  // An empty left marker, or an empty right one with decoration, would be found on every turn.
  if (left.empty() || (right.empty() && (!options.prefix.empty() || !options.suffix.empty()))) {
    return items;
  }
  const bool ignoreCase = !options.caseSensitive;
  int position = options.startPosition;
  for (;;) {
    const int leftAt = reference::Locate(source, left, position, ignoreCase);
    if (leftAt == -1) break;
    const int pieceStart = leftAt + static_cast<int>(left.size());
    const int rightAt = reference::Locate(source, right, pieceStart, ignoreCase);
    if (rightAt == -1) break;
    const Text piece = rightAt > pieceStart
                           ? Text(source.substr(static_cast<std::size_t>(pieceStart - 1),
                                                static_cast<std::size_t>(rightAt - pieceStart)))
                           : Text();
    Text item = Text(options.prefix) + reference::Strip(piece) + Text(options.suffix);
    if (item.empty()) {
      position = pieceStart;
      continue;
    }
    if (options.includeLeft) item = Text(left) + item;
    if (options.includeRight) item += right;
    if (options.maxLength == 0 || static_cast<long long>(item.size()) < options.maxLength) {
      items.push_back(item);
    }
    position = rightAt;
  }
  return items;
}

// Takes text off the front of item; false when item does not begin with it.
bool TakeFront(std::string_view& item, std::string_view text) {
  if (!item.starts_with(text)) return false;
  item.remove_prefix(text.size());
  return true;
}

bool TakeBack(std::string_view& item, std::string_view text) {
  if (!item.ends_with(text)) return false;
  item.remove_suffix(text.size());
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  static const bool kHooked = (InstallEventHook([] { ++gEventCalls; }), true);
  (void)kHooked;

  fuzz::FuzzInput input(data, size);
  const unsigned char flags = input.Byte();
  const int maxLength = input.Int();
  const int start = input.Int();
  const std::string_view source = input.Text();
  const std::string_view left = input.Text();
  const std::string_view right = input.Text();
  const ExtractAllBetweenOptions options{
      .caseSensitive = fuzz::FuzzInput::Bit(flags, 0),
      .maxLength = maxLength,
      .prefix = input.Text(),
      .suffix = input.Text(),
      .includeLeft = fuzz::FuzzInput::Bit(flags, 1),
      .includeRight = fuzz::FuzzInput::Bit(flags, 2),
      .startPosition = start,
  };

  TextArray items{"left over from the caller"};
  gEventCalls = 0;
  const int count = ExtractAllBetween(source, left, right, items, options);
  FUZZ_CHECK(gEventCalls <= 4 * (source.size() + 1));
  FUZZ_CHECK(count == static_cast<int>(items.size()));
  FUZZ_CHECK(items == ExpectedItems(source, left, right, options));

  std::size_t searchFrom = 0;
  for (const Text& item : items) {
    FUZZ_CHECK(!item.empty());
    if (maxLength != 0) FUZZ_CHECK(static_cast<long long>(item.size()) < maxLength);
    std::string_view piece = item;
    if (options.includeLeft) FUZZ_CHECK(TakeFront(piece, left));
    if (options.includeRight) FUZZ_CHECK(TakeBack(piece, right));
    FUZZ_CHECK(TakeFront(piece, options.prefix));
    FUZZ_CHECK(TakeBack(piece, options.suffix));
    const std::size_t at = source.find(piece, searchFrom);
    FUZZ_CHECK(at != std::string_view::npos);
    searchFrom = at + piece.size();
  }
  return 0;
}
