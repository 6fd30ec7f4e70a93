// ReplaceMany against the reference substitution applied pair after pair.
// Input: flags (bit 0: case sensitive, bit 1: count given), start, count, then the texts source,
// find1, replacement1, ... find5, replacement5.
#include <array>
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/TextReference.h"
#include "text/Markers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  fuzz::FuzzInput input(data, size);
  const unsigned char flags = input.Byte();
  const bool caseSensitive = fuzz::FuzzInput::Bit(flags, 0);
  const int start = input.Int();
  const std::optional<int> count = input.OptionalInt(flags, 1);
  const std::string_view source = input.Text();
  std::array<std::string_view, 5> finds;
  std::array<std::string_view, 5> replacements;
  for (std::size_t k = 0; k < finds.size(); ++k) {
    finds[k] = input.Text();
    replacements[k] = input.Text();
  }

  const Text result = ReplaceMany(source, finds[0], replacements[0],
                                  {.count = count,
                                   .startPosition = start,
                                   .caseSensitive = caseSensitive,
                                   .find2 = finds[1],
                                   .replacement2 = replacements[1],
                                   .find3 = finds[2],
                                   .replacement3 = replacements[2],
                                   .find4 = finds[3],
                                   .replacement4 = replacements[3],
                                   .find5 = finds[4],
                                   .replacement5 = replacements[4]});
  Text expected(source);
  for (std::size_t k = 0; k < finds.size(); ++k) {
    expected = reference::Substitute(expected, finds[k], replacements[k], start == 0 ? 1 : start,
                                     count, caseSensitive);
  }
  FUZZ_CHECK(result == expected);
  return 0;
}
