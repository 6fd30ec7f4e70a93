#pragma once

#include <string_view>

#include "text/Text.h"

namespace singrove {

// The GBK form of a UTF-8 text. The program's own Chinese texts are written in UTF-8 in the
// source and converted once through this, e.g. `static const Text kQuote = Gbk("#引号");`.
Text Gbk(std::string_view utf8);

}  // namespace singrove
