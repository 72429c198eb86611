// The platform calls a web request makes, seen through a recording client: their order,
// their arguments, the request flags and which handles are closed on each failure path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "web/inet.h"
#include "web/web_request.h"

namespace web {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::string Hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", value);
  return buffer;
}

std::string Shown(const std::optional<text::Text>& t) { return t ? "\"" + *t + "\"" : "none"; }

// Writes every call as one line and answers from a script: which opens fail, the body
// pieces and the header text.
class RecordingClient final : public InternetClient {
 public:
  bool failOpenRoot = false;
  bool failConnect = false;
  bool failOpenRequest = false;
  std::vector<std::string> bodyPieces;
  std::optional<text::Text> rawHeaders;
  std::vector<std::string> calls;

  InetHandle OpenRoot(const text::Text& agent, int accessType,
                      const std::optional<text::Text>& proxy,
                      const std::optional<text::Text>& proxyBypass, std::uint32_t flags) override {
    calls.push_back("OpenRoot agent=\"" + agent + "\" type=" + std::to_string(accessType) +
                    " proxy=" + Shown(proxy) + " bypass=" + Shown(proxyBypass) +
                    " flags=" + Hex(flags));
    return failOpenRoot ? kNoHandle : 11;
  }
  InetHandle Connect(InetHandle root, const text::Text& host, int port, int service,
                     std::uint32_t flags) override {
    calls.push_back("Connect " + std::to_string(root) + " " + host + ":" + std::to_string(port) +
                    " service=" + std::to_string(service) + " flags=" + Hex(flags));
    return failConnect ? kNoHandle : 22;
  }
  InetHandle OpenRequest(InetHandle connection, const text::Text& verb, const text::Text& path,
                         const text::Text& version, std::uint32_t flags) override {
    calls.push_back("OpenRequest " + std::to_string(connection) + " " + verb + " " + path + " " +
                    version + " flags=" + Hex(flags));
    return failOpenRequest ? kNoHandle : 33;
  }
  bool SetSecurityFlags(InetHandle request, std::uint32_t securityFlags) override {
    calls.push_back("SetSecurityFlags " + std::to_string(request) + " " + Hex(securityFlags));
    return true;
  }
  bool SendRequest(InetHandle request, const text::Text& headers,
                   const text::Bytes& body) override {
    calls.push_back("SendRequest " + std::to_string(request) + " headers=\"" + headers +
                    "\" body=\"" + std::string(body.begin(), body.end()) + "\"");
    return rawHeaders.has_value();
  }
  bool ReadFile(InetHandle request, std::uint8_t* area, int size, int& count) override {
    calls.push_back("ReadFile " + std::to_string(request) + " " + std::to_string(size));
    count = 0;
    if (nextPiece_ == bodyPieces.size()) return rawHeaders.has_value();
    const std::string& piece = bodyPieces[nextPiece_++];
    std::memcpy(area, piece.data(), piece.size());
    count = static_cast<int>(piece.size());
    return true;
  }
  std::optional<text::Text> QueryRawHeaders(InetHandle request) override {
    calls.push_back("QueryRawHeaders " + std::to_string(request));
    return rawHeaders;
  }
  bool CloseHandle(InetHandle handle) override {
    calls.push_back("CloseHandle " + std::to_string(handle));
    return true;
  }

 private:
  std::size_t nextPiece_ = 0;
};

TEST(WebRequestCalls, BoardCheckCallInOrder) {
  RecordingClient client;
  client.bodyPieces = {"<html>", "page"};
  client.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: sid=7; path=/\r\n\r\n";
  WebRequestInput input;
  input.url = "https://bbs.lumeth.example/forum-121-1.html";
  input.method = 0;
  input.cookies = "";
  input.headers = "User-Agent: Board/1.0";

  const WebResponse response = WebRequest(input, client);

  EXPECT_THAT(
      client.calls,
      ElementsAre(
          "OpenRoot agent=\"Board/1.0\" type=1 proxy=none bypass=none flags=0x0",
          "Connect 11 bbs.lumeth.example:443 service=3 flags=0x0",
          "OpenRequest 22 GET /forum-121-1.html HTTP/1.1 flags=0x80880010",
          "SetSecurityFlags 33 0x1F380",
          "SendRequest 33 headers=\"User-Agent: Board/1.0\r\nAccept: */*\r\nReferer: "
          "https://bbs.lumeth.example/forum-121-1.html\r\nAccept-Language: zh-cn\" body=\"\"",
          "ReadFile 33 1024", "ReadFile 33 1024", "ReadFile 33 1024", "QueryRawHeaders 33",
          "CloseHandle 33", "CloseHandle 22", "CloseHandle 11"));
  EXPECT_EQ(text::BytesToText(response.body), "<html>page");
  EXPECT_EQ(response.responseHeaders, *client.rawHeaders);
  EXPECT_EQ(response.responseCookies, "sid=7");
}

TEST(WebRequestCalls, RequestFlags) {
  struct Case {
    const char* name;
    const char* url;
    std::optional<text::Text> cookies;
    std::optional<bool> noRedirect;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {"secure with cookies given empty", "https://h.example/", "", {}, 0x80880010},
      {"plain without cookies", "http://h.example/", {}, {}, 0x80004010},
      {"plain, cookies, no redirect", "http://h.example/", "a=1", true, 0x80284010},
      {"noRedirect given false", "http://h.example/", {}, false, 0x80004010},
      {"scheme in capitals is secure", "HTTPS://h.example/", {}, {}, 0x80800010},
      {"one slash after https: is not secure", "https:/h.example/", {}, {}, 0x80004010},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingClient client;
    client.failOpenRequest = true;
    WebRequestInput input;
    input.url = c.url;
    input.cookies = c.cookies;
    input.noRedirect = c.noRedirect;
    WebRequest(input, client);
    ASSERT_EQ(client.calls.size(), 5u);
    EXPECT_THAT(client.calls[2], ::testing::EndsWith("flags=" + Hex(c.flags)));
  }
}

TEST(WebRequestCalls, AgentAndProxyReachTheRootHandle) {
  struct Case {
    const char* name;
    const char* url;
    std::optional<text::Text> headers;
    std::optional<bool> normalizeHeaders;
    std::optional<text::Text> proxy;
    const char* openRoot;
  };
  const Case cases[] = {
      {"no headers: the default agent, direct",
       "http://h.example/",
       {},
       {},
       {},
       "OpenRoot agent=\"Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\" type=1 "
       "proxy=none bypass=none flags=0x0"},
      {"agent from its line, trimmed",
       "http://h.example/",
       "Accept: x\r\nUser-Agent:  UA 1  ",
       {},
       {},
       "OpenRoot agent=\"UA 1\" type=1 proxy=none bypass=none flags=0x0"},
      {"lower-case name without normalisation",
       "http://h.example/",
       "user-agent: low",
       false,
       {},
       "OpenRoot agent=\"low\" type=1 proxy=none bypass=none flags=0x0"},
      {"lower-case name, then a second line: all after the first colon",
       "http://h.example/",
       "user-agent: low\r\nX-A: b",
       false,
       {},
       "OpenRoot agent=\"low\r\nX-A: b\" type=1 proxy=none bypass=none flags=0x0"},
      {"proxy unchanged for a secure address",
       "https://h.example/",
       {},
       {},
       "127.0.0.1:3128",
       "OpenRoot agent=\"Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\" type=3 "
       "proxy=\"127.0.0.1:3128\" bypass=\"\" flags=0x0"},
      {"proxy behind http= for a plain address",
       "http://h.example/",
       {},
       {},
       "127.0.0.1:3128",
       "OpenRoot agent=\"Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\" type=3 "
       "proxy=\"http=127.0.0.1:3128\" bypass=\"\" flags=0x0"},
      {"empty proxy is direct",
       "http://h.example/",
       {},
       {},
       "",
       "OpenRoot agent=\"Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\" type=1 "
       "proxy=none bypass=none flags=0x0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingClient client;
    client.failOpenRoot = true;
    WebRequestInput input;
    input.url = c.url;
    input.headers = c.headers;
    input.normalizeHeaders = c.normalizeHeaders;
    input.proxy = c.proxy;
    WebRequest(input, client);
    EXPECT_THAT(client.calls, ElementsAre(c.openRoot));
  }
}

TEST(WebRequestCalls, FailedOpensCloseWhatWasOpenedAndGiveNothing) {
  struct Case {
    const char* name;
    bool failOpenRoot, failConnect, failOpenRequest;
    std::vector<std::string> callsAfterOpens;
  };
  const Case cases[] = {
      {"no root handle", true, false, false, {}},
      {"no connection handle", false, true, false, {"CloseHandle 11"}},
      {"no request handle", false, false, true, {"CloseHandle 22", "CloseHandle 11"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingClient client;
    client.failOpenRoot = c.failOpenRoot;
    client.failConnect = c.failConnect;
    client.failOpenRequest = c.failOpenRequest;
    client.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
    WebRequestInput input;
    input.url = "http://h.example/p";
    input.cookies = "b=2";
    const WebResponse response = WebRequest(input, client);

    const std::size_t opens = c.failOpenRoot ? 1 : c.failConnect ? 2 : 3;
    ASSERT_EQ(client.calls.size(), opens + c.callsAfterOpens.size());
    EXPECT_THAT(std::vector(client.calls.begin() + opens, client.calls.end()),
                ElementsAreArray(c.callsAfterOpens));
    EXPECT_TRUE(response.body.empty());
    EXPECT_EQ(response.responseHeaders, "");
    EXPECT_EQ(response.responseCookies, "");
  }
}

TEST(WebRequestCalls, UnansweredRequestReadsOnceAndGivesBlankHeaders) {
  RecordingClient client;
  WebRequestInput input;
  input.url = "http://h.example/p";
  input.cookies = "a=1; b=2";
  const WebResponse response = WebRequest(input, client);

  EXPECT_THAT(std::vector(client.calls.begin() + 5, client.calls.end()),
              ElementsAre("ReadFile 33 1024", "QueryRawHeaders 33", "CloseHandle 33",
                          "CloseHandle 22", "CloseHandle 11"));
  EXPECT_TRUE(response.body.empty());
  EXPECT_EQ(response.responseHeaders, std::string(5000, ' '));
  // Nothing was collected; the merge still runs and keeps what was sent.
  EXPECT_EQ(response.responseCookies, "a=1; b=2");
}

TEST(WebRequestCalls, CookiesNotGivenAreCollectedButNotMerged) {
  RecordingClient client;
  client.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: b=3\r\nSet-Cookie: c=4\r\n\r\n";
  WebRequestInput input;
  input.url = "http://h.example/p";
  EXPECT_EQ(WebRequest(input, client).responseCookies, "b=3; c=4");

  input.cookies = "a=1; b=2";
  EXPECT_EQ(WebRequest(input, client).responseCookies, "b=3; c=4; a=1");
  input.mergeCookies = false;
  EXPECT_EQ(WebRequest(input, client).responseCookies, "b=3; c=4");
}

}  // namespace
}  // namespace web
