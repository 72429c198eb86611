// What a web request gives back from real servers on 127.0.0.1.
#include <gtest/gtest.h>

#include <string>

#include "support/http_test_server.h"
#include "support/raw_test_server.h"
#include "web/web_request.h"

namespace web {
namespace {

using support::HttpTestServer;
using support::RawReply;
using support::RawTestServer;

// Bytes that differ from their neighbours, so a lost, doubled or shifted piece shows.
std::string Pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + i / 1021) & 0xFF);
  return s;
}

WebResponse Get(const text::Text& url) {
  WebRequestInput input;
  input.url = url;
  input.cookies = "";
  return WebRequest(input);
}

TEST(WebRequestResponse, BodiesComeBackWholeAndExact) {
  HttpTestServer server;
  server.Routes().Get(R"(/size/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(Pattern(std::stoul(req.matches[1])), "application/octet-stream");
  });
  server.Start();
  for (const std::size_t size : {0u, 1u, 1023u, 1024u, 1025u, 50u * 1024 * 1024}) {
    SCOPED_TRACE(size);
    const WebResponse response = Get(server.Url("/size/" + std::to_string(size)));
    const std::string expected = Pattern(size);
    ASSERT_EQ(response.body.size(), size);
    EXPECT_TRUE(response.body == text::Bytes(expected.begin(), expected.end()));
  }
}

TEST(WebRequestResponse, RawHeaderTextOfTheFinalAnswer) {
  const std::string longValue(6000, 'v');
  struct Case {
    const char* name;
    std::string reply;
    std::string headers;
    std::string body;
  };
  const Case cases[] = {
      {"plain answer", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-A: b\r\n\r\nok",
       "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-A: b\r\n\r\n", "ok"},
      {"bare line feeds become CRLF", "HTTP/1.1 200 OK\nContent-Length: 2\nX-A: b\n\nok",
       "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-A: b\r\n\r\n", "ok"},
      {"after 100-continue",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
       "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n", "ok"},
      {"longer than 5000 bytes",
       "HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\nContent-Length: 2\r\n\r\nok",
       "HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\nContent-Length: 2\r\n\r\n", "ok"},
      {"a 404 is a page like any other",
       "HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing",
       "HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\n", "missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RawTestServer server(RawReply{c.reply});
    const WebResponse response = Get(server.Url("/"));
    EXPECT_EQ(response.responseHeaders, c.headers);
    EXPECT_EQ(text::BytesToText(response.body), c.body);
  }
}

TEST(WebRequestResponse, CookiesOfALongHeaderTextAreCollected) {
  const RawTestServer server(
      RawReply{"HTTP/1.1 200 OK\r\nX-Long: " + std::string(6000, 'v') +
               "\r\nSet-Cookie: sid=abc; path=/\r\nContent-Length: 0\r\n\r\n"});
  WebRequestInput input;
  input.url = server.Url("/");
  input.cookies = "a=1";
  EXPECT_EQ(WebRequest(input).responseCookies, "sid=abc; a=1");
}

class WebRequestRedirects : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* scheme : {"http", "https"}) {
      HttpTestServer& server = std::string(scheme) == "http" ? plain_ : secure_;
      server.Routes().Get("/final", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("X-Final", "yes");
        res.set_header("Set-Cookie", "last=3");
        res.set_content("final page", "text/plain");
      });
      server.Routes().Get(
          R"(/hop/(\d+))", [&server](const httplib::Request& req, httplib::Response& res) {
            const int n = std::stoi(req.matches[1]);
            res.set_header("Set-Cookie", "hop" + std::to_string(n) + "=1");
            res.set_content("moved", "text/plain");
            res.set_redirect(
                n == 0 ? server.Url("/final") : server.Url("/hop/" + std::to_string(n - 1)), 302);
          });
      server.Routes().Get("/to-secure", [this](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(secure_.Url("/final"), 302);
      });
      server.Routes().Get("/to-plain", [this](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(plain_.Url("/final"), 302);
      });
      server.Start();
    }
  }

  HttpTestServer plain_;
  HttpTestServer secure_{HttpTestServer::Scheme::kHttps};
};

TEST_F(WebRequestRedirects, ChainIsFollowedAndOnlyTheFinalHeadersRemain) {
  const WebResponse response = Get(plain_.Url("/hop/2"));
  EXPECT_EQ(text::BytesToText(response.body), "final page");
  EXPECT_EQ(response.responseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(response.responseHeaders.find("\r\nX-Final: yes\r\n"), std::string::npos);
  EXPECT_EQ(response.responseHeaders.find("302"), std::string::npos);
  EXPECT_EQ(response.responseHeaders.substr(response.responseHeaders.size() - 4), "\r\n\r\n");
  EXPECT_EQ(response.responseCookies, "last=3");
}

TEST_F(WebRequestRedirects, TenAreFollowedButNotEleven) {
  EXPECT_EQ(text::BytesToText(Get(plain_.Url("/hop/9")).body), "final page");
  const WebResponse tooMany = Get(plain_.Url("/hop/10"));
  EXPECT_NE(text::BytesToText(tooMany.body), "final page");
}

TEST_F(WebRequestRedirects, NoRedirectReturnsTheRedirectAsItCame) {
  WebRequestInput input;
  input.url = plain_.Url("/hop/0");
  input.cookies = "";
  input.noRedirect = true;
  const WebResponse response = WebRequest(input);
  EXPECT_EQ(text::BytesToText(response.body), "moved");
  EXPECT_EQ(response.responseHeaders.rfind("HTTP/1.1 302 Found\r\n", 0), 0u);
  EXPECT_NE(response.responseHeaders.find("\r\nLocation: " + plain_.Url("/final") + "\r\n"),
            std::string::npos);
  EXPECT_EQ(response.responseCookies, "hop0=1");
}

TEST_F(WebRequestRedirects, BetweenPlainAndSecureBothWays) {
  EXPECT_EQ(text::BytesToText(Get(plain_.Url("/to-secure")).body), "final page");
  EXPECT_EQ(text::BytesToText(Get(secure_.Url("/to-plain")).body), "final page");
}

TEST(WebRequestResponse, CertificateForAnotherHostIsAccepted) {
  HttpTestServer server(HttpTestServer::Scheme::kHttps);
  server.Routes().Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("secret", "text/plain");
  });
  server.Start();
  EXPECT_EQ(text::BytesToText(Get(server.Url("/")).body), "secret");
}

TEST(WebRequestResponse, CookieStoreOnlyWithoutGivenCookies) {
  HttpTestServer server;
  server.Routes().Get("/store/set", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "stored=yes; Path=/store");
  });
  server.Routes().Get("/store/echo", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(req.get_header_value("Cookie"), "text/plain");
  });
  server.Start();
  WebRequestInput withCookies;
  withCookies.cookies = "";
  WebRequestInput withoutCookies;

  // Given cookies keep the store out both ways.
  withCookies.url = server.Url("/store/set");
  WebRequest(withCookies);
  withoutCookies.url = server.Url("/store/echo");
  EXPECT_EQ(text::BytesToText(WebRequest(withoutCookies).body), "");

  withoutCookies.url = server.Url("/store/set");
  WebRequest(withoutCookies);
  withoutCookies.url = server.Url("/store/echo");
  EXPECT_EQ(text::BytesToText(WebRequest(withoutCookies).body), "stored=yes");
  withCookies.url = server.Url("/store/echo");
  EXPECT_EQ(text::BytesToText(WebRequest(withCookies).body), "");
}

}  // namespace
}  // namespace web
