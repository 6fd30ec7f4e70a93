#pragma once

#include <string_view>

#include "text/Text.h"

namespace singrove {

// The header block a page fetch sends: the caller's lines and "\r\n" (when there are any), then
// each default line whose test text the block does not hold yet, the Cookie line only for
// non-empty cookies (null: not given).
Text BuildPageRequestHeaders(std::string_view requestHeaders, const Text* cookies);

}  // namespace singrove
