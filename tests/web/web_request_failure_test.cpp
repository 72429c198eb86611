// Requests that fail on the way: each ends, and gives what came before the failure.
#include <gtest/gtest.h>

#include <string>

#include "support/loopback_socket.h"
#include "support/raw_test_server.h"
#include "web/inet_curl.h"
#include "web/web_request.h"

namespace web {
namespace {

using support::RawReply;
using support::RawTestServer;
using namespace std::chrono_literals;

const std::string kBlankHeaders(5000, ' ');

WebResponse GetWithShortTimeouts(const text::Text& url) {
  CurlInternetClient client({.connectTimeout = 5s, .stallTimeout = 1s});
  WebRequestInput input;
  input.url = url;
  input.cookies = "a=1";
  return WebRequest(input, client);
}

// A host name that cannot exist: its first label is longer than the 63 bytes a name allows,
// so the resolver refuses it without sending a query off this machine.
const std::string kUnknownHost = std::string(64, 'a') + ".example";

// A port that nobody listens on: taken from a listener that is then closed.
int ClosedPort() {
  const support::AcceptLoop loop([](support::UniqueFd, const support::StopSignal&) {});
  return loop.Port();
}

TEST(WebRequestFailure, UnansweredRequestsGiveBlankHeadersAndTheSentCookies) {
  const RawTestServer notTls(
      RawReply{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false, false});
  const RawTestServer silent(RawReply{"", true});
  struct Case {
    const char* name;
    std::string url;
  };
  const Case cases[] = {
      {"connection refused", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"},
      {"unknown host", "http://" + kUnknownHost + "/"},
      {"broken TLS handshake", "https://127.0.0.1:" + std::to_string(notTls.Port()) + "/"},
      {"server stalls before answering", silent.Url("/")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WebResponse response = GetWithShortTimeouts(c.url);
    EXPECT_TRUE(response.body.empty());
    EXPECT_EQ(response.responseHeaders, kBlankHeaders);
    EXPECT_EQ(response.responseCookies, "a=1");
  }
}

TEST(WebRequestFailure, BodyHoldsWhatCameBeforeTheFailure) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nSet-Cookie: b=2\r\n\r\n";
  const std::string part(2500, 'x');
  struct Case {
    const char* name;
    bool stall;
  };
  for (const Case& c :
       {Case{"server closes mid-body", false}, Case{"server stalls mid-body", true}}) {
    SCOPED_TRACE(c.name);
    const RawTestServer server(RawReply{head + part, c.stall});
    const WebResponse response = GetWithShortTimeouts(server.Url("/"));
    EXPECT_EQ(text::BytesToText(response.body), part);
    EXPECT_EQ(response.responseHeaders, head);
    EXPECT_EQ(response.responseCookies, "b=2; a=1");
  }
}

}  // namespace
}  // namespace web
