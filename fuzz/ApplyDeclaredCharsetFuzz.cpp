// The charset step of the page fetcher over any response: a body is decoded exactly when the first
// 1024 bytes of its text hold a declaration (the first "<meta", then on the same line the first
// "charset=" after it that an optional non-word character and a name of word characters and "-"
// follow; letter case ignored) of a name other than "gbk" and "gb2312" that the decoder knows.
// The declaration is looked for here by hand, without a regular-expression engine.
// Input: the response bytes, NUL bytes included.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fetch/CharsetStep.h"
#include "fuzz/FuzzCheck.h"
#include "platform/codepage/CharsetDecoder.h"
#include "platform/codepage/Cp936.h"

namespace {

char16_t Lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool IsWord(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_';
}

bool IsNameUnit(char16_t c) {
  return IsWord(c) || c == u'-';
}

bool LiteralAt(std::u16string_view text, std::size_t k, std::u16string_view literal) {
  if (k + literal.size() > text.size()) return false;
  for (std::size_t i = 0; i < literal.size(); ++i) {
    if (Lower(text[k + i]) != literal[i]) return false;
  }
  return true;
}

std::size_t NameLength(std::u16string_view text, std::size_t k) {
  std::size_t length = 0;
  while (k + length < text.size() && IsNameUnit(text[k + length])) ++length;
  return length;
}

// The first group of the leftmost match of <meta.+?charset=[^\w]?([-\w]+), case ignored; "" when
// there is none. "." takes anything but a line feed, at least once, as few as will do.
std::string DeclaredName(std::u16string_view window) {
  for (std::size_t meta = 0; meta < window.size(); ++meta) {
    if (!LiteralAt(window, meta, u"<meta")) continue;
    for (std::size_t at = meta + 6; at <= window.size() && window[at - 1] != u'\n'; ++at) {
      if (!LiteralAt(window, at, u"charset=")) continue;
      const std::size_t after = at + 8;
      std::size_t nameAt = after + 1;
      std::size_t length =
          after < window.size() && !IsWord(window[after]) ? NameLength(window, nameAt) : 0;
      if (length == 0) {
        nameAt = after;
        length = NameLength(window, nameAt);
      }
      if (length > 0) {
        const std::u16string_view name = window.substr(nameAt, length);
        return std::string(name.begin(), name.end());  // ASCII only
      }
    }
  }
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  const Bytes response(data, data + size);
  const Text bodyText = BytesToText(response);

  const Text result = ApplyDeclaredCharset(bodyText, response);
  FUZZ_CHECK(result.find('\0') == Text::npos);

  const std::string name = DeclaredName(GbkToUtf16(std::string_view(bodyText).substr(0, 1024)));
  std::optional<std::string> decoded;
  if (!name.empty() && name != "gbk" && name != "gb2312") decoded = DecodeCharset(name, response);
  FUZZ_CHECK(result == (decoded ? *decoded : bodyText));
  return 0;
}
