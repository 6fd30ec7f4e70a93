#pragma once

#include <string>
#include <string_view>

namespace singrove {

// The UTF-8 form of a UTF-16 string; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::u16string_view wide);

// The UTF-16 form of bytes that came off the wire: read as UTF-8 when they are valid UTF-8,
// otherwise one unit per byte (ISO 8859-1).
std::u16string WideFromWireBytes(std::string_view bytes);

}  // namespace singrove
