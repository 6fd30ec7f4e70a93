#pragma once

#include <string_view>

#include "platform/http/HttpApi.h"

namespace singrove {

// True when text holds a space (any white space, the ideographic one included) or a control
// character: such text never becomes part of an address or a header.
bool HoldsUnsafeCharacter(std::u16string_view text);

// True when host is a registered name or an IP literal in brackets as the address syntax allows.
bool IsAllowedHost(std::u16string_view host);

// Finds the parts of an http:// or https:// address (scheme in any case); false for any other
// address, an empty or forbidden host, a bad port, or a space or control character anywhere.
bool ParseHttpUrl(std::u16string_view url, UrlComponents& components);

}  // namespace singrove
