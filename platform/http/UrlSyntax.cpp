#include "platform/http/UrlSyntax.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace singrove {
namespace {

bool IsAsciiAlpha(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// unreserved and sub-delims of the address syntax: what a registered name may hold besides "%".
bool IsNameCharacter(char16_t c) {
  return IsAsciiAlpha(c) || IsDigit(c) ||
         std::u16string_view(u"-._~!$&'()*+,;=").find(c) != std::u16string_view::npos;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
    if (x != y) return false;
  }
  return true;
}

// A port of 1 to 65535 written in decimal digits.
bool ParsePort(std::u16string_view digits, std::uint16_t& port) {
  if (digits.empty() || digits.size() > 5) return false;
  unsigned value = 0;
  for (char16_t c : digits) {
    if (!IsDigit(c)) return false;
    value = value * 10 + static_cast<unsigned>(c - u'0');
  }
  if (value == 0 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

bool HoldsUnsafeCharacter(std::u16string_view text) {
  for (char16_t c : text) {
    if (c <= 0x20 || (c >= 0x7F && c <= 0x9F)) return true;
    if (u_isUWhiteSpace(c)) return true;
  }
  return false;
}

bool IsAllowedHost(std::u16string_view host) {
  if (host.empty()) return false;
  if (host.front() == u'[') {
    if (host.size() < 3 || host.back() != u']') return false;
    for (char16_t c : host.substr(1, host.size() - 2))
      if (!IsHexDigit(c) && c != u':' && c != u'.') return false;
    return true;
  }
  for (std::size_t i = 0; i < host.size(); ++i) {
    const char16_t c = host[i];
    if (c == u'%') {
      if (i + 2 >= host.size() || !IsHexDigit(host[i + 1]) || !IsHexDigit(host[i + 2]))
        return false;
      i += 2;
    } else if (!IsNameCharacter(c)) {
      return false;
    }
  }
  return true;
}

bool ParseHttpUrl(std::u16string_view url, UrlComponents& components) {
  if (HoldsUnsafeCharacter(url)) return false;
  const std::size_t schemeEnd = url.find(u"://");
  if (schemeEnd == std::u16string_view::npos) return false;
  const std::u16string_view scheme = url.substr(0, schemeEnd);
  UrlComponents parts;
  if (EqualsIgnoringAsciiCase(scheme, u"http")) {
    parts.scheme = kHttpSchemeHttp;
    parts.port = 80;
  } else if (EqualsIgnoringAsciiCase(scheme, u"https")) {
    parts.scheme = kHttpSchemeHttps;
    parts.port = 443;
  } else {
    return false;
  }
  parts.schemeLength = schemeEnd;

  const std::size_t authorityStart = schemeEnd + 3;
  std::size_t authorityEnd = url.find_first_of(u"/?#", authorityStart);
  if (authorityEnd == std::u16string_view::npos) authorityEnd = url.size();
  std::u16string_view authority = url.substr(authorityStart, authorityEnd - authorityStart);
  std::size_t hostStart = authorityStart;
  if (const std::size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) {
    hostStart += at + 1;
    authority.remove_prefix(at + 1);
  }
  // The port follows the last ":" that stands after the closing bracket of an IP literal.
  const std::size_t bracketEnd = authority.rfind(u']');
  std::size_t colon = authority.rfind(u':');
  if (colon != std::u16string_view::npos && bracketEnd != std::u16string_view::npos &&
      colon < bracketEnd)
    colon = std::u16string_view::npos;
  std::u16string_view host = authority.substr(0, colon);
  if (colon != std::u16string_view::npos && colon + 1 < authority.size() &&
      !ParsePort(authority.substr(colon + 1), parts.port))
    return false;
  if (!IsAllowedHost(host)) return false;
  parts.hostStart = hostStart;
  parts.hostLength = host.size();

  const std::size_t extraStart = std::min(url.find_first_of(u"?#", authorityEnd), url.size());
  parts.pathStart = authorityEnd;
  parts.pathLength = extraStart - authorityEnd;
  parts.extraStart = extraStart;
  parts.extraLength = url.size() - extraStart;
  components = parts;
  return true;
}

}  // namespace singrove
