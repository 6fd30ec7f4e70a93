#include "text/Gbk.h"

#include <unicode/ucnv.h>

namespace singrove {

Text Gbk(std::string_view utf8) {
  if (utf8.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  const auto sourceLength = static_cast<int32_t>(utf8.size());
  const int32_t needed =
      ucnv_convert("GBK", "UTF-8", nullptr, 0, utf8.data(), sourceLength, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  Text result(static_cast<std::size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  ucnv_convert("GBK", "UTF-8", result.data(), needed, utf8.data(), sourceLength, &status);
  if (U_FAILURE(status)) return {};
  return result;
}

std::string GbkToUtf8(std::string_view gbk) {
  if (gbk.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  const auto sourceLength = static_cast<int32_t>(gbk.size());
  const int32_t needed =
      ucnv_convert("UTF-8", "GBK", nullptr, 0, gbk.data(), sourceLength, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::string result(static_cast<std::size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  ucnv_convert("UTF-8", "GBK", result.data(), needed, gbk.data(), sourceLength, &status);
  if (U_FAILURE(status)) return {};
  return result;
}

}  // namespace singrove
