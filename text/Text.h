#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace singrove {

// Byte text in code page 936 (GBK). Positions handed to and from the text operations are
// 1-based byte positions; a Text holds no NUL byte (BytesToText cuts at the first one).
using Text = std::string;

// A length-counted byte buffer, possibly empty: request bodies and downloaded data.
using Bytes = std::vector<unsigned char>;

// An ordered list of texts. The operations of the program count its items from 1 (ItemOf).
using TextArray = std::vector<Text>;

// The bytes of a text, without a terminator.
inline Bytes TextToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Bytes read as text: they end at the first NUL byte, or hold all bytes when there is none.
inline Text BytesToText(const Bytes& bytes) {
  const unsigned char* begin = bytes.data();
  const unsigned char* end = begin + bytes.size();
  const unsigned char* stop = begin;
  while (stop != end && *stop != 0) ++stop;
  return Text(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(stop - begin));
}

// Item k (counted from 1) of an array, or "" when there is no such item.
inline const Text& ItemOf(const TextArray& items, int k) {
  static const Text kEmpty;
  if (k < 1 || static_cast<std::size_t>(k) > items.size()) return kEmpty;
  return items[static_cast<std::size_t>(k - 1)];
}

}  // namespace singrove
