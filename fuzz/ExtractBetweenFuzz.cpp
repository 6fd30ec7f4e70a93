// ExtractBetween against the reference search, and the piece it returns is a piece of the source.
// Input: flags (bit 0: ignore case), start position, then the texts source, leftMarker and
// rightMarker.
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
  const bool ignoreCase = fuzz::FuzzInput::Bit(flags, 0);
  const int start = input.Int();
  const std::string_view source = input.Text();
  const std::string_view leftMarker = input.Text();
  const std::string_view rightMarker = input.Text();

  const Text piece = ExtractBetween(source, leftMarker, rightMarker,
                                    {.startPosition = start, .ignoreCase = ignoreCase});
  FUZZ_CHECK(piece == reference::Between(source, leftMarker, rightMarker, start, ignoreCase));
  FUZZ_CHECK(source.find(piece) != std::string_view::npos);
  return 0;
}
