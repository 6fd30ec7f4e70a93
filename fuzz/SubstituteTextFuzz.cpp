// SubstituteText against a walk over the characters that tests a match at each.
// Input: flags (bit 0: case sensitive, bit 1: count given), start, count, then the texts text,
// find and replacement.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/TextReference.h"
#include "text/Primitives.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  fuzz::FuzzInput input(data, size);
  const unsigned char flags = input.Byte();
  const bool caseSensitive = fuzz::FuzzInput::Bit(flags, 0);
  const int start = input.Int();
  const std::optional<int> count = input.OptionalInt(flags, 1);
  const std::string_view text = input.Text();
  const std::string_view find = input.Text();
  const std::string_view replacement = input.Text();

  const Text result = SubstituteText(
      text, find, replacement, {.start = start, .count = count, .caseSensitive = caseSensitive});
  FUZZ_CHECK(result == reference::Substitute(text, find, replacement, start, count, caseSensitive));
  // A find text that is not there leaves the text as it was.
  if (reference::Locate(text, find, start, !caseSensitive) == -1) FUZZ_CHECK(result == text);
  return 0;
}
