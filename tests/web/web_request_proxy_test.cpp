// Requests through a forward proxy on 127.0.0.1, and direct requests that must not use one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/forward_proxy.h"
#include "support/http_test_server.h"
#include "web/web_request.h"

namespace web {
namespace {

using support::ForwardProxy;
using support::HttpTestServer;

class WebRequestProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    for (HttpTestServer* server : {&plain_, &secure_}) {
      server->Routes().Get("/page", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("through", "text/plain");
      });
      server->Start();
    }
  }

  std::string Fetch(const text::Text& url, const text::Text& proxy) {
    WebRequestInput input;
    input.url = url;
    input.cookies = "";
    input.proxy = proxy;
    return text::BytesToText(WebRequest(input).body);
  }

  HttpTestServer plain_;
  HttpTestServer secure_{HttpTestServer::Scheme::kHttps};
  ForwardProxy proxy_;
};

TEST_F(WebRequestProxy, HostAndPortCarriesBothSchemes) {
  const std::string address = "127.0.0.1:" + std::to_string(proxy_.Port());
  EXPECT_EQ(Fetch(secure_.Url("/page"), address), "through");
  EXPECT_EQ(Fetch(plain_.Url("/page"), address), "through");
  const auto requests = proxy_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string secureTarget = "127.0.0.1:" + std::to_string(secure_.Port());
  EXPECT_EQ(requests[0].rfind("CONNECT " + secureTarget + " HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(requests[1].rfind("GET " + plain_.Url("/page") + " HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(requests[1].find("Proxy-Connection"), std::string::npos);
}

TEST_F(WebRequestProxy, HttpOnlyProxyLeavesSecureAddressesDirect) {
  const std::string address = "http=127.0.0.1:" + std::to_string(proxy_.Port());
  EXPECT_EQ(Fetch(secure_.Url("/page"), address), "through");
  EXPECT_TRUE(proxy_.Requests().empty());
  EXPECT_EQ(Fetch(plain_.Url("/page"), address), "through");
  EXPECT_EQ(proxy_.Requests().size(), 1u);
}

TEST_F(WebRequestProxy, EmptyProxyIgnoresTheEnvironment) {
  const std::string address = "http://127.0.0.1:" + std::to_string(proxy_.Port());
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "ALL_PROXY"}) {
    setenv(name, address.c_str(), 1);
  }
  EXPECT_EQ(Fetch(plain_.Url("/page"), ""), "through");
  EXPECT_EQ(Fetch(secure_.Url("/page"), ""), "through");
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "ALL_PROXY"}) {
    unsetenv(name);
  }
  EXPECT_TRUE(proxy_.Requests().empty());
}

}  // namespace
}  // namespace web
