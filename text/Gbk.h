#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace singrove {

// The GBK form of a UTF-8 text. The program's own Chinese texts are written in UTF-8 in the
// source and converted once through this, e.g. `static const Text kQuote = Gbk("#引号");`.
Text Gbk(std::string_view utf8);

// The UTF-8 form of a GBK text, for the edges that speak UTF-8 (the window, file names, the
// terminal).
std::string GbkToUtf8(std::string_view gbk);

}  // namespace singrove
