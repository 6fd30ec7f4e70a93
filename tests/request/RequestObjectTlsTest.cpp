// Certificate checks of the request object and the problems option 4 lets it ignore.
#include <gtest/gtest.h>

#include <ostream>

#include "platform/request/CurlRequestObject.h"
#include "tests/support/TlsServer.h"

namespace singrove {
namespace {

struct CertificateCase {
  const char* name;
  const char* certificateHost;  // "127.0.0.1" matches the address asked for
  int ignoreFlags;              // -1: the option is not written
  bool accepted;
  friend void PrintTo(const CertificateCase& testCase, std::ostream* out) { *out << testCase.name; }
};

class RequestObjectTlsTest : public ::testing::TestWithParam<CertificateCase> {};

TEST_P(RequestObjectTlsTest, AcceptsASelfSignedServerOnlyWhenToldTo) {
  const test::TlsServer server(GetParam().certificateHost, "secret body");
  const auto object = CurlRequestObject::Create();
  ASSERT_TRUE(object);
  ASSERT_TRUE(object->Open("GET", server.Url("/a")));
  if (GetParam().ignoreFlags >= 0) {
    ASSERT_TRUE(object->SetOption(kOptionSslErrorIgnoreFlags, GetParam().ignoreFlags));
  }
  EXPECT_EQ(object->Send(""), GetParam().accepted);
  if (GetParam().accepted) {
    EXPECT_EQ(object->Status(), 200);
    EXPECT_EQ(BytesToText(object->ResponseBody()), "secret body");
  } else {
    EXPECT_EQ(object->Status(), 0);
    EXPECT_TRUE(object->ResponseBody().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestObjectTlsTest,
    ::testing::Values(
        CertificateCase{"CheckedByDefault", "127.0.0.1", -1, false},
        CertificateCase{"IgnoreAllAcceptsIt", "127.0.0.1", kSslIgnoreAll, true},
        CertificateCase{"IgnoreAllAcceptsAWrongHost", "other.invalid", kSslIgnoreAll, true},
        // The chain is checked as a whole, so ignoring only part of its problems ignores none.
        CertificateCase{"UnknownAuthorityAloneIsNotEnough", "127.0.0.1", kSslIgnoreUnknownCa,
                        false},
        CertificateCase{"ChainWithoutExpiryIsNotEnough", "127.0.0.1",
                        kSslIgnoreUnknownCa | kSslIgnoreWrongUsage, false},
        CertificateCase{"WholeChainIgnoredWithMatchingHost", "127.0.0.1",
                        kSslIgnoreUnknownCa | kSslIgnoreWrongUsage | kSslIgnoreExpired, true},
        CertificateCase{"WholeChainIgnoredButTheHostChecked", "other.invalid",
                        kSslIgnoreUnknownCa | kSslIgnoreWrongUsage | kSslIgnoreExpired, false},
        CertificateCase{"HostIgnoredButTheChainChecked", "other.invalid", kSslIgnoreHostMismatch,
                        false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace singrove
