// SplitAtDelimiter against a walk over the characters that cuts at each delimiter.
// Input: flags (bit 0: maximum count given), maximum count, then the texts text and delimiter.
#include <algorithm>
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
  const std::optional<int> maximumCount = input.OptionalInt(flags, 0);
  const std::string_view text = input.Text();
  const std::string_view delimiter = input.Text();

  const TextArray pieces = SplitAtDelimiter(text, delimiter, maximumCount);
  FUZZ_CHECK(pieces == reference::Split(text, delimiter, maximumCount));
  if (maximumCount)
    FUZZ_CHECK(pieces.size() <= static_cast<std::size_t>(std::max(0, *maximumCount)));
  // Without a limit the pieces joined by the delimiter give back the text, less a final delimiter.
  if (!maximumCount && !delimiter.empty()) {
    Text joined;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      if (k > 0) joined += delimiter;
      joined += pieces[k];
    }
    FUZZ_CHECK(joined == text || joined + Text(delimiter) == text);
  }
  return 0;
}
