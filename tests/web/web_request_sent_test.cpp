// What a web request puts on the wire, recorded byte for byte by a raw server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/raw_test_server.h"
#include "web/web_request.h"

namespace web {
namespace {

using support::RawReply;
using support::RawTestServer;

const RawReply kOk{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"};

struct SentRequest {
  std::string requestLine;
  std::vector<std::string> headerLines;
  std::string body;
};

SentRequest Parse(const std::string& raw) {
  SentRequest sent;
  const std::size_t headEnd = raw.find("\r\n\r\n");
  if (headEnd == std::string::npos) return sent;
  sent.body = raw.substr(headEnd + 4);
  std::size_t pos = 0;
  while (pos < headEnd) {
    std::size_t end = raw.find("\r\n", pos);
    const std::string line = raw.substr(pos, end - pos);
    if (pos == 0) {
      sent.requestLine = line;
    } else {
      sent.headerLines.push_back(line);
    }
    pos = end + 2;
  }
  return sent;
}

SentRequest SendTo(const RawTestServer& server, const WebRequestInput& input) {
  WebRequest(input);
  const std::vector<std::string> requests = server.Requests();
  EXPECT_EQ(requests.size(), 1u);
  return requests.empty() ? SentRequest{} : Parse(requests.front());
}

bool HasHeader(const SentRequest& sent, const std::string& prefix) {
  for (const std::string& line : sent.headerLines) {
    if (line.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

TEST(WebRequestSent, VerbPathAndBodyForEachMethod) {
  struct Case {
    const char* name;
    std::optional<int> method;
    std::optional<text::Text> postText;
    std::optional<text::Bytes> postBytes;
    const char* verb;
    std::string body;
    bool contentType;
  };
  const text::Bytes binary = {'b', 0, 0xFF, '\r', '\n'};
  const Case cases[] = {
      {"method not given", {}, {}, {}, "GET", "", false},
      {"-1 is GET without body", -1, "x=1", {}, "GET", "", false},
      {"9 is GET without body", 9, "x=1", {}, "GET", "", false},
      {"GET never sends a body", 0, "x=1", binary, "GET", "", false},
      {"POST without body", 1, {}, {}, "POST", "", true},
      {"POST with text", 1, "a=1&b=2", {}, "POST", "a=1&b=2", true},
      {"POST bytes win over text", 1, "text", binary, "POST", std::string("b\0\xFF\r\n", 5), true},
      {"POST empty bytes fall back to text", 1, "text", text::Bytes{}, "POST", "text", true},
      {"POST of 2 MB goes out without Expect",
       1,
       std::string(2 << 20, 'p'),
       {},
       "POST",
       std::string(2 << 20, 'p'),
       true},
      {"HEAD", 2, {}, {}, "HEAD", "", false},
      {"HEAD with text", 2, "h", {}, "HEAD", "h", false},
      {"PUT with text, no Content-Type", 3, "put-body", {}, "PUT", "put-body", false},
      {"OPTIONS", 4, {}, {}, "OPTIONS", "", false},
      {"DELETE with body", 5, "gone", {}, "DELETE", "gone", false},
      {"TRACE", 6, {}, {}, "TRACE", "", false},
      {"CONNECT", 7, {}, {}, "CONNECT", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RawTestServer server(kOk);
    WebRequestInput input;
    input.url = server.Url("/a/b?q=1");
    input.method = c.method;
    input.postText = c.postText;
    input.postBytes = c.postBytes;
    const SentRequest sent = SendTo(server, input);
    EXPECT_EQ(sent.requestLine, std::string(c.verb) + " /a/b?q=1 HTTP/1.1");
    EXPECT_EQ(sent.body, c.body);
    EXPECT_EQ(HasHeader(sent, "Content-Type:"), c.contentType);
    const bool hasBody = !c.body.empty() || std::string(c.verb) == "POST";
    EXPECT_EQ(HasHeader(sent, "Content-Length: " + std::to_string(c.body.size())), hasBody);
    EXPECT_FALSE(HasHeader(sent, "Expect:"));
  }
}

TEST(WebRequestSent, BoardCheckCallOverTls) {
  const RawTestServer server(kOk, RawTestServer::Transport::kTls);
  WebRequestInput input;
  input.url = server.Url("/forum-121-1.html");
  input.method = 0;
  input.cookies = "";
  input.headers = "User-Agent: Board/1.0";
  const SentRequest sent = SendTo(server, input);
  EXPECT_EQ(sent.requestLine, "GET /forum-121-1.html HTTP/1.1");
  EXPECT_THAT(sent.headerLines,
              ::testing::ElementsAre("Host: 127.0.0.1:" + std::to_string(server.Port()),
                                     "User-Agent: Board/1.0", "Accept: */*",
                                     "Referer: " + server.Url("/forum-121-1.html"),
                                     "Accept-Language: zh-cn"));
  EXPECT_EQ(sent.body, "");
}

TEST(WebRequestSent, HeaderLines) {
  struct Case {
    const char* name;
    std::optional<text::Text> headers;
    std::optional<text::Text> cookies;
    std::optional<bool> completeHeaders;
    std::optional<bool> normalizeHeaders;
    // After the Host line; "REFERER" stands for the Referer line of the address.
    std::vector<std::string> lines;
  };
  const std::string kAgentLine = std::string("User-Agent: ") + kDefaultUserAgent;
  const Case cases[] = {
      {"empty headers, completion on",
       {},
       {},
       {},
       {},
       {kAgentLine, "Accept: */*", "REFERER", "Accept-Language: zh-cn"}},
      {"empty headers, completion off", "", {}, false, {}, {kAgentLine}},
      {"completion off, cookies given",
       {},
       "a=1; b=2",
       false,
       {},
       {kAgentLine, "Cookie: a=1; b=2"}},
      {"cookies given empty", {}, "", false, {}, {kAgentLine}},
      {"cookies not given", {}, {}, false, {}, {kAgentLine}},
      {"cookies carrying their header name",
       {},
       "Cookie: a=1",
       false,
       {},
       {kAgentLine, "Cookie: a=1"}},
      {"cookies naming the header in lower case",
       {},
       "cookie: a=1",
       false,
       {},
       {kAgentLine, "Cookie: cookie: a=1"}},
      {"X-Accept counts as Accept",
       "X-Accept: 1",
       {},
       {},
       {},
       {kAgentLine, "X-Accept: 1", "REFERER", "Accept-Language: zh-cn"}},
      {"lower-case user-agent, normalisation off",
       "user-agent: low/2",
       {},
       {},
       false,
       {"user-agent: low/2", "Accept: */*", "REFERER", "Accept-Language: zh-cn"}},
      {"names normalised",
       "x-custom-name: v\r\n\r\naccept: text/html",
       {},
       false,
       {},
       {kAgentLine, "X-Custom-Name: v", "Accept: text/html"}},
      {"an empty value is sent empty",
       "X-Empty: \r\nX-B: 1",
       {},
       false,
       {},
       {kAgentLine, "X-Empty:", "X-B: 1"}},
      {"caller's Content-Type and Accept kept",
       "Accept: a/b\r\nContent-Type: c/d",
       {},
       false,
       {},
       {kAgentLine, "Accept: a/b", "Content-Type: c/d"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RawTestServer server(kOk);
    WebRequestInput input;
    input.url = server.Url("/h");
    input.headers = c.headers;
    input.cookies = c.cookies;
    input.completeHeaders = c.completeHeaders;
    input.normalizeHeaders = c.normalizeHeaders;
    std::vector<std::string> expected = {"Host: 127.0.0.1:" + std::to_string(server.Port())};
    for (const std::string& line : c.lines) {
      expected.push_back(line == "REFERER" ? "Referer: " + input.url : line);
    }
    EXPECT_THAT(SendTo(server, input).headerLines, ::testing::ElementsAreArray(expected));
  }
}

}  // namespace
}  // namespace web
