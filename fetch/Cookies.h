#pragma once

#include <string_view>

#include "text/Text.h"

namespace singrove {

// Folds the cookies a response has set (newCookies) into the list a caller holds (cookies). Both
// variables are rewritten: cookies becomes the merged list (new items first, items joined by "; ",
// "=deleted" items dropped, exact repeats dropped) and newCookies loses every space.
// Returns a copy of the merged list.
Text MergeCookies(Text& cookies, Text& newCookies);

// The text before an item's first "=", without spaces at both ends; the whole item when it has none.
Text CookieName(std::string_view item);
// True when some item of items has the cookie name name.
bool ContainsCookieName(const TextArray& items, std::string_view name);
// The 1-based index of the first item equal to text, or -1.
int IndexOfItem(const TextArray& items, std::string_view text);
// The text with every repeat of an item (pieces between separators) left out.
Text RemoveRepeatedItems(std::string_view text, std::string_view separator);

}  // namespace singrove
