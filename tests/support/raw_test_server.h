#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "support/loopback_socket.h"

namespace support {

// What the raw server does on each connection.
struct RawReply {
  // Sent as they are once the request has arrived.
  std::string bytes;
  // After sending, keep the connection open and silent until the client leaves.
  bool stall = false;
  // Answer as soon as anything arrives instead of waiting for a whole request (for a
  // client that speaks first in another protocol, such as a TLS hello).
  bool waitForRequest = true;
};

// A server on 127.0.0.1 that records each request exactly as its bytes arrived and answers
// every connection with the same scripted bytes, over plain TCP or over TLS with the test
// certificate.
class RawTestServer {
 public:
  enum class Transport { kPlain, kTls };
  explicit RawTestServer(RawReply reply, Transport transport = Transport::kPlain);
  ~RawTestServer();

  int Port() const { return loop_->Port(); }
  // "http://127.0.0.1:<port>" (https for TLS) followed by `path`.
  std::string Url(std::string_view path = "/") const;
  // One member per connection: the request head and its body.
  std::vector<std::string> Requests() const;

 private:
  struct Tls;
  void Serve(UniqueFd connection, const StopSignal& stop);

  RawReply reply_;
  std::unique_ptr<Tls> tls_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::unique_ptr<AcceptLoop> loop_;
};

}  // namespace support
