#pragma once

#include <httplib.h>

#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace support {

// An HTTP or HTTPS server on a free port of 127.0.0.1. HTTPS uses the test certificate,
// which is self-signed for another host name. Add the routes, then Start.
class HttpTestServer {
 public:
  enum class Scheme { kHttp, kHttps };
  explicit HttpTestServer(Scheme scheme = Scheme::kHttp);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  httplib::Server& Routes() { return *server_; }
  void Start();
  int Port() const { return port_; }
  // "http://127.0.0.1:<port>" (https for HTTPS) followed by `path`.
  std::string Url(std::string_view path = "/") const;

 private:
  Scheme scheme_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace support
