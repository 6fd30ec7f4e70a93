#include "fetch/WideText.h"

#include <cstring>

#include "platform/codepage/Cp936.h"

namespace singrove {
namespace {

std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

Text CutAtNul(std::string text) {
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace

Bytes TextToWide(std::string_view text, bool dropTerminator) {
  const std::string_view source = UpToNul(text);
  const int units = GbkToWide(source, {});
  if (units <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  const int written = GbkToWide(source, wide);
  wide.resize(static_cast<std::size_t>(written));
  if (!dropTerminator) wide.push_back(u'\0');
  Bytes result;
  result.reserve(wide.size() * 2);
  for (const char16_t unit : wide) {
    result.push_back(static_cast<unsigned char>(unit & 0xFF));
    result.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return result;
}

Text WideToText(const Bytes& bytes) {
  std::u16string wide(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return CutAtNul(Utf16ToGbk(wide, {.compositeCheck = true}));
}

std::u16string TextToUtf16(std::string_view text) {
  return GbkToUtf16(UpToNul(text));
}

Text Utf16ToText(std::u16string_view wide) {
  return CutAtNul(Utf16ToGbk(wide));
}

}  // namespace singrove
