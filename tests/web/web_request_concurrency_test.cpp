// Many requests at once, each on its own thread, over plain and secure connections and the
// shared cookie store.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/http_test_server.h"
#include "web/web_request.h"

namespace web {
namespace {

using support::HttpTestServer;

TEST(WebRequestConcurrency, SixteenThreadsAllComplete) {
  HttpTestServer plain;
  HttpTestServer secure(HttpTestServer::Scheme::kHttps);
  for (HttpTestServer* server : {&plain, &secure}) {
    server->Routes().Get(R"(/page/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
      const int n = std::stoi(req.matches[1]);
      res.set_header("Set-Cookie", "n" + std::to_string(n) + "=" + std::to_string(n));
      res.set_content(std::string(1000 + n * 4099, static_cast<char>('a' + n)), "text/plain");
    });
    server->Start();
  }

  constexpr int kThreads = 16;
  std::vector<WebResponse> responses(kThreads);
  std::vector<std::thread> threads;
  for (int n = 0; n < kThreads; ++n) {
    threads.emplace_back([&, n] {
      WebRequestInput input;
      HttpTestServer& server = n % 2 == 0 ? plain : secure;
      input.url = server.Url("/page/" + std::to_string(n));
      // Half give cookies, half go through the shared cookie store.
      if (n % 4 < 2) input.cookies = "";
      responses[n] = WebRequest(input);
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (int n = 0; n < kThreads; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(text::BytesToText(responses[n].body),
              std::string(1000 + n * 4099, static_cast<char>('a' + n)));
    EXPECT_EQ(responses[n].responseCookies, "n" + std::to_string(n) + "=" + std::to_string(n));
  }
}

}  // namespace
}  // namespace web
