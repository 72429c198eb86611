#include "support/forward_proxy.h"

#include <poll.h>
#include <sys/socket.h>

#include <string_view>

namespace support {
namespace {

// The port of "127.0.0.1:<port>", or 0 for any other host.
int LoopbackPort(std::string_view authority) {
  constexpr std::string_view kLoopback = "127.0.0.1:";
  if (!authority.starts_with(kLoopback)) return 0;
  authority.remove_prefix(kLoopback.size());
  int port = 0;
  for (const char c : authority) {
    if (c < '0' || c > '9') return 0;
    port = port * 10 + (c - '0');
  }
  return port <= 65535 ? port : 0;
}

void Relay(int a, int b, const StopSignal& stop) {
  pollfd fds[3] = {{a, POLLIN, 0}, {b, POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
  char buffer[65536];
  while (poll(fds, 3, -1) > 0 && fds[2].revents == 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents == 0) continue;
      const ssize_t n = recv(fds[i].fd, buffer, sizeof buffer, 0);
      if (n <= 0 || !SendAll(fds[1 - i].fd, {buffer, static_cast<std::size_t>(n)})) return;
    }
  }
}

}  // namespace

ForwardProxy::ForwardProxy()
    : loop_(std::make_unique<AcceptLoop>(
          [this](UniqueFd client, const StopSignal& stop) { Serve(std::move(client), stop); })) {}

ForwardProxy::~ForwardProxy() = default;

std::vector<std::string> ForwardProxy::Requests() const {
  const std::scoped_lock lock(mutex_);
  return requests_;
}

void ForwardProxy::Serve(UniqueFd client, const StopSignal& stop) {
  std::string data = ReadRequestHead(client.Get(), stop);
  if (data.empty()) return;
  const std::size_t headEnd = data.find("\r\n\r\n") + 4;
  {
    const std::scoped_lock lock(mutex_);
    requests_.push_back(data.substr(0, headEnd));
  }
  // The request line: method, target, version.
  const std::size_t lineEnd = data.find("\r\n");
  const std::size_t space1 = data.find(' ');
  const std::size_t space2 = data.find(' ', space1 + 1);
  if (space1 > lineEnd || space2 > lineEnd) return;
  const std::string method = data.substr(0, space1);
  std::string_view target(data.data() + space1 + 1, space2 - space1 - 1);

  if (method == "CONNECT") {
    const UniqueFd upstream = ConnectToLoopback(LoopbackPort(target));
    if (!upstream.Valid()) {
      SendAll(client.Get(), "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
      return;
    }
    SendAll(client.Get(), "HTTP/1.1 200 Connection established\r\n\r\n");
    SendAll(upstream.Get(), std::string_view(data).substr(headEnd));
    Relay(client.Get(), upstream.Get(), stop);
    return;
  }
  constexpr std::string_view kScheme = "http://";
  const std::size_t pathStart = target.find('/', kScheme.size());
  if (!target.starts_with(kScheme) || pathStart == std::string_view::npos) return;
  const UniqueFd upstream =
      ConnectToLoopback(LoopbackPort(target.substr(kScheme.size(), pathStart - kScheme.size())));
  if (!upstream.Valid()) {
    SendAll(client.Get(), "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
    return;
  }
  SendAll(upstream.Get(),
          method + " " + std::string(target.substr(pathStart)) + data.substr(space2));
  Relay(client.Get(), upstream.Get(), stop);
}

}  // namespace support
