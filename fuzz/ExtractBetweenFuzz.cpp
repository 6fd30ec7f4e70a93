// ExtractBetween against the reference search, and the piece it returns is a piece of the source.
// Input: flags (bit 0: ignore case), start position, then the texts source, leftMarker and
// rightMarker.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/TextReference.h"
#include "text/Gbk.h"
#include "text/Markers.h"

namespace {

using singrove::Text;
namespace reference = singrove::reference;

// The marker with every "#引号" read as a double quote.
Text Unescaped(std::string_view marker) {
  static const Text kQuoteEscape = singrove::Gbk("#引号");
  return reference::Substitute(marker, kQuoteEscape, "\"", 1, std::nullopt, true);
}

Text ExpectedPiece(std::string_view source, std::string_view leftMarker,
                   std::string_view rightMarker, int start, bool ignoreCase) {
  const Text left = Unescaped(leftMarker);
  const Text right = Unescaped(rightMarker);
  const int leftAt = reference::Locate(source, left, start, ignoreCase);
  if (leftAt == -1) return {};
  const int pieceStart = leftAt + static_cast<int>(left.size());
  const int rightAt = reference::Locate(source, right, pieceStart, ignoreCase);
  if (rightAt <= pieceStart) return {};
  return Text(source.substr(static_cast<std::size_t>(pieceStart - 1),
                            static_cast<std::size_t>(rightAt - pieceStart)));
}

}  // namespace

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
  FUZZ_CHECK(piece == ExpectedPiece(source, leftMarker, rightMarker, start, ignoreCase));
  FUZZ_CHECK(source.find(piece) != std::string_view::npos);
  return 0;
}
