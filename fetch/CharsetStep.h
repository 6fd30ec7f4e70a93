#pragma once

#include "text/Text.h"

namespace singrove {

// The body text of a page after its declared character set is applied. The first 1024 bytes of
// bodyText (the response bytes up to their first NUL) are searched for a meta tag that declares a
// charset; when it names one other than "gbk" or "gb2312" (exact bytes) that the decoder knows,
// ALL of responseBytes are decoded from it to GBK and that text replaces bodyText, even when it is
// empty. Otherwise bodyText comes back unchanged. Lets the window process its pending events once
// after the search.
Text ApplyDeclaredCharset(Text bodyText, const Bytes& responseBytes);

}  // namespace singrove
