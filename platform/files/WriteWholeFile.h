#pragma once

#include <string_view>

#include "text/Text.h"

namespace singrove {

// Writes all bytes to the file at path (GBK), creating it or replacing it. The bytes go to a
// temporary file in the same folder that replaces the target only once every byte is written and
// flushed, so on any failure an existing file is left as it was and no temporary remains.
// The window handles its events between the pieces of a large file. False for an empty path or
// when the file cannot be written.
bool WriteWholeFile(std::string_view path, const Bytes& bytes);

}  // namespace singrove
