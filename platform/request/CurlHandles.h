#pragma once

#include <curl/curl.h>

#include <memory>

namespace singrove {

// Owners of libcurl's handles: each frees its handle once, and none can be copied.
struct CurlEasyFree {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlMultiFree {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct CurlListFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlUrlFree {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyFree>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiFree>;
using CurlList = std::unique_ptr<curl_slist, CurlListFree>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlFree>;

// Keeps an easy handle attached to a multi handle for as long as it lives.
class CurlMultiAttachment {
 public:
  CurlMultiAttachment(CURLM* multi, CURL* easy)
      : multi_(multi), easy_(easy), attached_(curl_multi_add_handle(multi, easy) == CURLM_OK) {}
  CurlMultiAttachment(const CurlMultiAttachment&) = delete;
  CurlMultiAttachment& operator=(const CurlMultiAttachment&) = delete;
  ~CurlMultiAttachment() {
    if (attached_) curl_multi_remove_handle(multi_, easy_);
  }
  bool Attached() const { return attached_; }

 private:
  CURLM* multi_;
  CURL* easy_;
  bool attached_;
};

}  // namespace singrove
