#include "fetch/Cookies.h"

#include <string>
#include <unordered_set>

#include "text/Primitives.h"

namespace singrove {
namespace {

const std::string_view kDeletionMarker = "=deleted";
const std::string_view kItemSeparator = "; ";

bool IsDeletionMarker(std::string_view item) {
  return item.ends_with(kDeletionMarker);
}

}  // namespace

Text MergeCookies(Text& cookies, Text& newCookies) {
  cookies = DropAllSpaces(cookies);
  newCookies = DropAllSpaces(newCookies);
  const TextArray oldItems = SplitAtDelimiter(cookies, ";");
  TextArray merged = SplitAtDelimiter(newCookies, ";");
  // The names merged so far, so that each old item is checked in constant time.
  std::unordered_set<Text> names;
  for (const Text& item : merged) names.insert(CookieName(item));
  for (const Text& item : oldItems) {
    if (names.insert(CookieName(item)).second) merged.push_back(item);
  }
  Text joined;
  for (const Text& item : merged) {
    if (IsDeletionMarker(item)) continue;
    joined += item;
    joined += kItemSeparator;
  }
  joined.resize(joined.size() >= 2 ? joined.size() - 2 : 0);
  cookies = RemoveRepeatedItems(joined, kItemSeparator);
  return cookies;
}

Text CookieName(std::string_view item) {
  const int equals = LocateText(item, "=");
  return StripSpaces(equals == -1 ? item : item.substr(0, static_cast<std::size_t>(equals - 1)));
}

bool ContainsCookieName(const TextArray& items, std::string_view name) {
  for (const Text& item : items) {
    if (CookieName(item) == name) return true;
  }
  return false;
}

int IndexOfItem(const TextArray& items, std::string_view text) {
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (items[k] == text) return static_cast<int>(k + 1);
  }
  return -1;
}

Text RemoveRepeatedItems(std::string_view text, std::string_view separator) {
  Text kept;
  std::unordered_set<std::string_view> seen;
  const TextArray pieces = SplitAtDelimiter(text, separator);
  for (const Text& piece : pieces) {
    if (!seen.insert(piece).second) continue;
    kept += piece;
    kept += separator;
  }
  kept.resize(kept.empty() ? 0 : kept.size() - separator.size());
  return kept;
}

}  // namespace singrove
