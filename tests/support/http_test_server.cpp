#include "support/http_test_server.h"

#include <chrono>
#include <stdexcept>

namespace support {
namespace {

std::unique_ptr<httplib::Server> MakeServer(HttpTestServer::Scheme scheme) {
  if (scheme == HttpTestServer::Scheme::kHttp) return std::make_unique<httplib::Server>();
  auto server = std::make_unique<httplib::SSLServer>(BW_TEST_CERT_DIR "/server.crt",
                                                     BW_TEST_CERT_DIR "/server.key");
  if (!server->is_valid()) throw std::runtime_error("cannot load the test certificate");
  return server;
}

}  // namespace

HttpTestServer::HttpTestServer(Scheme scheme) : scheme_(scheme), server_(MakeServer(scheme)) {
  // Enough workers for every client of the concurrency tests at once.
  server_->new_task_queue = [] { return new httplib::ThreadPool(32); };
}

HttpTestServer::~HttpTestServer() {
  if (thread_.joinable()) {
    server_->stop();
    thread_.join();
  }
}

void HttpTestServer::Start() {
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("cannot listen on 127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // A stop that came before the server runs would be lost and the join would hang.
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::string HttpTestServer::Url(std::string_view path) const {
  return std::string(scheme_ == Scheme::kHttps ? "https" : "http") +
         "://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

}  // namespace support
