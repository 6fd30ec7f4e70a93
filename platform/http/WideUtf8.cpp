#include "platform/http/WideUtf8.h"

#include <unicode/ustring.h>

namespace singrove {

std::string Utf8FromWide(std::u16string_view wide) {
  if (wide.empty()) return {};
  // Each UTF-16 unit takes at most three UTF-8 bytes.
  std::string utf8(wide.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &length, wide.data(),
                     static_cast<int32_t>(wide.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  utf8.resize(static_cast<std::size_t>(length));
  return utf8;
}

std::u16string WideFromWireBytes(std::string_view bytes) {
  if (bytes.empty()) return {};
  std::u16string wide(bytes.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(wide.data(), static_cast<int32_t>(wide.size()), &length, bytes.data(),
                static_cast<int32_t>(bytes.size()), &status);
  if (U_SUCCESS(status)) {
    wide.resize(static_cast<std::size_t>(length));
    return wide;
  }
  for (std::size_t i = 0; i < bytes.size(); ++i)
    wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
  return wide;
}

}  // namespace singrove
