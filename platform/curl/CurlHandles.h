#pragma once

#include <curl/curl.h>

#include <memory>

namespace singrove {

// Owners of libcurl's handles, shared by the HTTP layer and the request object: each releases
// its handle once, when it goes.
struct CurlEasyRelease {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlMultiRelease {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct CurlListRelease {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlUrlRelease {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyRelease>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiRelease>;
using CurlList = std::unique_ptr<curl_slist, CurlListRelease>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlRelease>;

// Keeps an easy handle attached to a multi handle and detaches it when it goes; declared after
// the two handles so that it goes first.
class CurlAttachment {
 public:
  CurlAttachment() = default;
  CurlAttachment(const CurlAttachment&) = delete;
  CurlAttachment& operator=(const CurlAttachment&) = delete;
  ~CurlAttachment() {
    if (multi_) curl_multi_remove_handle(multi_, easy_);
  }
  // Attaches easy to multi; false when libcurl refuses.
  bool Attach(CURLM* multi, CURL* easy) {
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) return false;
    multi_ = multi;
    easy_ = easy;
    return true;
  }

 private:
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
};

}  // namespace singrove
