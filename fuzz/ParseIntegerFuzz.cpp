// ParseInteger against its rules: full-width forms folded, white space, sign, digits, 32-bit wrap.
// Input: the text.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/TextReference.h"
#include "text/Primitives.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  fuzz::FuzzInput input(data, size);
  const std::string_view text = input.Text();
  FUZZ_CHECK(ParseInteger(text) == reference::ParseInt(text));
  return 0;
}
