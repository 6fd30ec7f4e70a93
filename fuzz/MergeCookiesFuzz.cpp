// MergeCookies: the merged list has no item twice, no "=deleted" item and no space; newCookies only
// loses its spaces; and merging the result with an empty list keeps the first item of each name in
// order (so the result comes back unchanged when its names differ).
// Input: the texts cookies and newCookies.
#include <cstddef>
#include <cstdint>
#include <set>

#include "fetch/Cookies.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/TextReference.h"

namespace {

using singrove::Text;
using singrove::TextArray;
namespace reference = singrove::reference;

// True when the list's last character is a lead byte alone. Joined to the next item by "; ", that
// byte and the ";" read as one two-byte character, so the separator is not found there again; the
// properties on the items hold only for lists without one.
bool EndsInLoneLeadByte(std::string_view list) {
  std::size_t k = 0;
  while (k < list.size() && k + reference::CharLength(list, k) < list.size()) {
    k += reference::CharLength(list, k);
  }
  return k < list.size() && reference::CharLength(list, k) == 1 &&
         static_cast<unsigned char>(list[k]) >= 0x80;
}

Text NameOf(std::string_view item) {
  const int equals = reference::Locate(item, "=");
  return reference::Strip(equals == -1 ? item
                                       : item.substr(0, static_cast<std::size_t>(equals - 1)));
}

// The items in order, each name only the first time it comes, joined by "; ". An empty item
// that ends the list leaves only the separator before it, which the merge drops with the item.
Text FirstOfEachName(const TextArray& items) {
  std::set<Text> names;
  TextArray kept;
  for (const Text& item : items) {
    if (names.insert(NameOf(item)).second) kept.push_back(item);
  }
  if (!kept.empty() && kept.back().empty()) kept.pop_back();
  Text list;
  for (const Text& item : kept) {
    if (&item != &kept.front()) list += "; ";
    list += item;
  }
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  fuzz::FuzzInput input(data, size);
  const Text heldBefore(input.Text());
  const Text receivedBefore(input.Text());

  Text cookies = heldBefore;
  Text newCookies = receivedBefore;
  const Text merged = MergeCookies(cookies, newCookies);
  FUZZ_CHECK(merged == cookies);
  FUZZ_CHECK(newCookies == reference::DropSpaces(receivedBefore));
  if (EndsInLoneLeadByte(reference::DropSpaces(heldBefore)) ||
      EndsInLoneLeadByte(reference::DropSpaces(receivedBefore))) {
    return 0;
  }

  const TextArray items = reference::Split(merged, "; ", std::nullopt);
  std::set<Text> seen;
  for (const Text& item : items) {
    FUZZ_CHECK(seen.insert(item).second);
    FUZZ_CHECK(!item.ends_with("=deleted"));
    FUZZ_CHECK(reference::DropSpaces(item) == item);
  }

  Text again = merged;
  Text none;
  MergeCookies(again, none);
  FUZZ_CHECK(again == FirstOfEachName(items));
  FUZZ_CHECK(none.empty());
  return 0;
}
