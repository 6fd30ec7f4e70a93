#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace singrove {

// Splits a header block at each CR LF into its lines, in UTF-8; empty lines are skipped. False,
// and lines untouched, when a line holds a CR, LF or NUL of its own, or is not "name: value"
// with a name made of token characters.
bool SplitHeaderBlock(std::u16string_view block, std::vector<std::string>& lines);

// The name of a header line: the text before its colon.
std::string_view HeaderName(std::string_view line);

// True when some line of headers has the name (ASCII letters compared in any case).
bool HasHeader(const std::vector<std::string>& headers, std::string_view name);

// Puts line into headers: with replace, over the first line of the same name when there is one
// (keeping its place); otherwise at the end.
void PutHeader(std::vector<std::string>& headers, std::string line, bool replace);

}  // namespace singrove
