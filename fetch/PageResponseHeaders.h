#pragma once

#include "fetch/FetchPage.h"
#include "text/Text.h"

namespace singrove {

// Derives the response outputs of a page fetch from the raw header text: responseHeaders (with
// every "Set-Cookie" spelled so), statusText (from byte 10 to the end of the status line),
// newCookies, location (the last "Location: " line), and the merge of cookies when they were
// given. Lets the window toolkit process pending events once per header line.
void DerivePageResponseOutputs(const Text& rawHeaders, const FetchPageOptions& options);

}  // namespace singrove
