#include "cli/TerminalText.h"

#include <unicode/ustring.h>

#include <cstdio>
#include <limits>
#include <utility>

#include "text/Gbk.h"

namespace singrove {

std::string TerminalText(std::string_view gbk) {
  return GbkToUtf8(gbk);
}

bool ArgumentText(std::string_view utf8, Text* text) {
  // GBK lacks a character exactly when the way back does not give the argument again; invalid
  // UTF-8 fails the same way, since its replacement has no GBK form.
  Text converted = Gbk(utf8);
  if (GbkToUtf8(converted) != utf8) return false;
  *text = std::move(converted);
  return true;
}

std::string ValidUtf8(std::string_view bytes) {
  if (bytes.empty() ||
      bytes.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    return {};
  }
  const auto length = static_cast<int32_t>(bytes.size());
  constexpr UChar32 kReplacement = 0xFFFD;
  UErrorCode status = U_ZERO_ERROR;
  int32_t units = 0;
  u_strFromUTF8WithSub(nullptr, 0, &units, bytes.data(), length, kReplacement, nullptr, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(wide.data(), units, nullptr, bytes.data(), length, kReplacement, nullptr,
                       &status);
  if (U_FAILURE(status)) return {};
  int32_t needed = 0;
  status = U_ZERO_ERROR;
  u_strToUTF8(nullptr, 0, &needed, wide.data(), units, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::string result(static_cast<std::size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8(result.data(), needed, nullptr, wide.data(), units, &status);
  return U_FAILURE(status) ? std::string() : result;
}

std::string JsonString(std::string_view utf8) {
  std::string quoted = "\"";
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20) {
      char escape[7];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(byte));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace singrove
