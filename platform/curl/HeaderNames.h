#pragma once

#include <algorithm>
#include <string_view>

namespace singrove {

// True when two header names are the same name; letter case does not count in HTTP header names.
// Shared by the HTTP layer and the request object.
inline bool SameHeaderName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return std::ranges::equal(a, b, [lower](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace singrove
