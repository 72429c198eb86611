#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/loopback_socket.h"

namespace support {

// A forward proxy on 127.0.0.1 that reaches only 127.0.0.1: a CONNECT request opens a
// tunnel, any other request in absolute form is passed on in origin form. Either way the
// bytes then flow both ways until one side closes.
class ForwardProxy {
 public:
  ForwardProxy();
  ~ForwardProxy();

  int Port() const { return loop_->Port(); }
  // The head of each request the proxy received, in the order they came.
  std::vector<std::string> Requests() const;

 private:
  void Serve(UniqueFd client, const StopSignal& stop);

  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::unique_ptr<AcceptLoop> loop_;
};

}  // namespace support
