// LocateText against a search that tries every character start in turn.
// Input: flags (bit 0: ignore case), start, then the texts text and needle.
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
  const bool ignoreCase = fuzz::FuzzInput::Bit(flags, 0);
  const int start = input.Int();
  const std::string_view text = input.Text();
  const std::string_view needle = input.Text();

  const int found = LocateText(text, needle, start, ignoreCase);
  FUZZ_CHECK(found == reference::Locate(text, needle, start, ignoreCase));
  if (found != -1 && !needle.empty()) {
    FUZZ_CHECK(found >= start);
    FUZZ_CHECK(reference::MatchesAt(text, static_cast<std::size_t>(found - 1), needle, ignoreCase));
  }
  // Ignoring case finds a match at least as early.
  if (found != -1 && !ignoreCase) {
    const int folded = LocateText(text, needle, start, true);
    FUZZ_CHECK(folded != -1 && folded <= found);
  }
  return 0;
}
