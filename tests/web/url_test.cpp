#include "web/url.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using text::Text;

struct UrlCase {
  std::string label;
  Text url;
  Text host;
  Text hostWithPort;
  int port;
  Text path;
};

TEST(Url, PiecesOfAddresses) {
  const UrlCase cases[] = {
      {"scheme and host in capitals, port, query, fragment", "HTTPS://A.b.C:8443/P/q?x=1#f",
       "a.b.c", "a.b.c:8443", 8443, "/P/q?x=1#f"},
      {"https without path", "https://a.b.c", "a.b.c", "a.b.c", 443, "/"},
      {"no scheme", "a.b.c", "a.b.c", "a.b.c", 80, "/"},
      {"no scheme with path", "a.b.c/p/q", "a.b.c", "a.b.c", 80, "/p/q"},
      {"plain http with port and path", "http://Host.example:8080/A?b=C", "host.example",
       "host.example:8080", 8080, "/A?b=C"},
      {"colon without digits", "http://a.b.c:/", "a.b.c", "a.b.c:", 0, "/"},
      {"query straight after the host", "https://a.b.c?x=1", "a.b.c?x=1", "a.b.c?x=1", 443, "/"},
      {"http:// inside the query of a scheme-less address", "a.b.c/p?u=http://d.e/f", "d.e", "d.e",
       80, "/f"},
      {"empty address", "", "", "", 80, "/"},
      {"https in another case without slashes", "HtTpSa.b.c", "httpsa.b.c", "httpsa.b.c", 443, "/"},
      {"host only with trailing slash", "http://a.b.c/", "a.b.c", "a.b.c", 80, "/"},
  };
  for (const UrlCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(web::UrlHost(c.url), c.host);
    EXPECT_EQ(web::UrlHost(c.url, false, true), c.hostWithPort);
    EXPECT_EQ(web::UrlPort(c.url), c.port);
    EXPECT_EQ(web::UrlPath(c.url), c.path);
  }
}

struct HostCase {
  std::string label;
  Text url;
  bool stripSubdomains;
  bool keepPort;
  std::optional<int> labelCount;
  Text host;
};

TEST(Url, HostOptionsOnBothPaths) {
  const HostCase cases[] = {
      {"standard, strip four labels", "http://a.b.c.d/x", true, false, {}, "c.d"},
      {"standard, strip a host without dots", "http://localhost/x", true, false, {}, "localhost"},
      {"standard, strip keeps two labels before the port goes",
       "a.b.c:8080",
       true,
       false,
       {},
       "b.c"},
      {"standard, strip with the port kept", "a.b.c:8080", true, true, {}, "b.c:8080"},
      {"count 0, strip", "a.b.c.d", true, false, 0, "d"},
      {"count 0", "a.b.c.d", false, false, 0, "c.d"},
      {"count 1, strip", "a.b.c.d", true, false, 1, "c.d"},
      {"count 1", "a.b.c.d", false, false, 1, "b.c.d"},
      {"count 2, strip", "a.b.c.d", true, false, 2, "b.c.d"},
      {"count 2", "a.b.c.d", false, false, 2, "a.b.c.d"},
      {"count below 0 acts as 0", "a.b.c.d", true, false, -3, "d"},
      {"count larger than the labels", "https://x.a.b.c.d/p", true, false, 100, "x.a.b.c.d"},
      {"huge count ends at once", "a.b", false, false, 2147483647, "a.b"},
      {"every scheme removed, path cut", "HTTP://www.Example.com/https://q", false, false, 0,
       "example.com"},
      {"count path keeps the port on request", "https://www.a.b:81/p", true, true, 0, "b:81"},
      {"count path cuts the port", "https://www.a.b:81/p", false, false, 0, "a.b"},
      {"given 0 differs from no count", "https://www.a.b.c/p", true, false, 0, "c"},
  };
  for (const HostCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(web::UrlHost(c.url, c.stripSubdomains, c.keepPort, c.labelCount), c.host);
  }
}

TEST(Url, PortIsTheLastColonOfTheHost) {
  EXPECT_EQ(web::UrlPort("http://[::1]:8081/x"), 8081);
  EXPECT_EQ(web::UrlPort("https://a.b:99999/"), 99999);
  EXPECT_EQ(web::UrlPort("http://a.b:12ab/"), 12);
}

}  // namespace
