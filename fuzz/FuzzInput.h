#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace singrove::fuzz {

// Reads one fuzz input as a few setting bytes at its front followed by texts separated by NUL
// bytes. A Text never holds a NUL, so the NUL is free to separate them, and a seed can be written
// by hand: printf '\x01\x05abcabc\0c'. What the input lacks reads as 0 or "".
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : bytes_(reinterpret_cast<const unsigned char*>(data), size) {}

  // The next setting byte.
  unsigned char Byte() {
    if (bytes_.empty()) return 0;
    const unsigned char byte = bytes_.front();
    bytes_ = bytes_.subspan(1);
    return byte;
  }

  // Bit k (0 to 7) of a setting byte.
  static bool Bit(unsigned char byte, int k) { return ((byte >> k) & 1) != 0; }

  // A number from one setting byte read as signed; -128 and 127 stand for the ends of the range,
  // so that positions and counts far outside any text are tried too.
  int Int() {
    const auto value = static_cast<signed char>(Byte());
    if (value == SCHAR_MIN) return INT_MIN;
    if (value == SCHAR_MAX) return INT_MAX;
    return value;
  }

  // Like Int, but absent when bit k of flags is clear: an omitted optional count.
  std::optional<int> OptionalInt(unsigned char flags, int k) {
    const int value = Int();
    if (!Bit(flags, k)) return std::nullopt;
    return value;
  }

  // The next text: the bytes up to the next NUL (which is dropped) or to the end.
  std::string_view Text() {
    const auto* begin = reinterpret_cast<const char*>(bytes_.data());
    const void* nul = bytes_.empty() ? nullptr : std::memchr(begin, 0, bytes_.size());
    const std::size_t length =
        nul == nullptr ? bytes_.size()
                       : static_cast<std::size_t>(static_cast<const char*>(nul) - begin);
    bytes_ = bytes_.subspan(nul == nullptr ? length : length + 1);
    return {begin, length};
  }

  // Everything not read yet, NUL bytes included.
  std::span<const unsigned char> Rest() {
    const std::span<const unsigned char> rest = bytes_;
    bytes_ = {};
    return rest;
  }

 private:
  std::span<const unsigned char> bytes_;
};

}  // namespace singrove::fuzz
