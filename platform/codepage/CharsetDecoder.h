#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace singrove {

// The bytes decoded from the character set charsetName (any name or alias ICU knows, letter case
// ignored) and converted to GBK, in one pass. The result ends at its first NUL character, like
// every text of the program. A byte-order mark of the declared encoding is dropped; characters GBK
// lacks become '?' (0x3F), bytes that are not valid in the declared set become U+FFFD first and so
// '?' too. std::nullopt when the name is empty or unknown: the caller keeps what it had.
std::optional<std::string> DecodeCharset(std::string_view charsetName,
                                         std::span<const unsigned char> bytes);

}  // namespace singrove
