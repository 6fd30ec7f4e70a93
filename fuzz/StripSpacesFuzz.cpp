// StripSpaces and DropAllSpaces against their rules applied to the list of characters.
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

  const Text stripped = StripSpaces(text);
  FUZZ_CHECK(stripped == reference::Strip(text));
  FUZZ_CHECK(StripSpaces(stripped) == stripped);
  FUZZ_CHECK(text.find(stripped) != std::string_view::npos);

  const Text dropped = DropAllSpaces(text);
  FUZZ_CHECK(dropped == reference::DropSpaces(text));
  FUZZ_CHECK(DropAllSpaces(dropped) == dropped);
  FUZZ_CHECK(DropAllSpaces(stripped) == dropped);
  return 0;
}
