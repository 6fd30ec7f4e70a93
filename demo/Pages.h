#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace singrove::demo {

// The profile page of a user, HTML in UTF-8 with CRLF line ends and tab indents; the page of an
// unknown user has no works count.
std::string ProfilePage(std::string_view uid);

// Page `page` (counted from 1) of a user's recordings list with `perPage` items, as UTF-8 JSON;
// a page beyond the last work, or of an unknown user, lists nothing.
std::string RecordingsList(std::string_view uid, int page, int perPage);

// The song page of a share id, HTML in UTF-8, whose play address lies under `baseUrl`
// ("http://127.0.0.1:8631"); nothing when no work has that share id.
std::optional<std::string> SongPage(std::string_view shareId, std::string_view baseUrl);

// The page served for an address that names nothing.
std::string NotFoundPage();

}  // namespace singrove::demo
