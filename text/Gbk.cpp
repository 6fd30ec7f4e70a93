#include "text/Gbk.h"

#include <unicode/ucnv.h>

namespace singrove {
namespace {

// The text converted from one ICU charset to another; "" when ICU cannot convert it.
std::string Convert(const char* to, const char* from, std::string_view text) {
  if (text.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  const auto sourceLength = static_cast<int32_t>(text.size());
  const int32_t needed = ucnv_convert(to, from, nullptr, 0, text.data(), sourceLength, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::string result(static_cast<std::size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  ucnv_convert(to, from, result.data(), needed, text.data(), sourceLength, &status);
  if (U_FAILURE(status)) return {};
  return result;
}

}  // namespace

Text Gbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8); }

std::string GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk); }

}  // namespace singrove
