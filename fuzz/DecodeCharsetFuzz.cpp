// DecodeCharset over any charset name and any body: no crash, no NUL in the result, nothing for an
// empty name, and text it produced reads back unchanged as GBK.
// Input: the text charsetName, then the body (all remaining bytes, NUL bytes included).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "platform/codepage/CharsetDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  fuzz::FuzzInput input(data, size);
  const std::string_view name = input.Text();
  const std::span<const unsigned char> body = input.Rest();

  const std::optional<std::string> decoded = DecodeCharset(name, body);
  if (name.empty()) FUZZ_CHECK(!decoded);
  if (!decoded) return 0;
  FUZZ_CHECK(decoded->find('\0') == std::string::npos);
  const auto* bytes = reinterpret_cast<const unsigned char*>(decoded->data());
  const std::optional<std::string> again = DecodeCharset("gbk", {bytes, decoded->size()});
  FUZZ_CHECK(again && *again == *decoded);
  return 0;
}
