#include "support/loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <stdexcept>

namespace support {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) close(fd_);
}

int UniqueFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

StopSignal::StopSignal() {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  read_ = UniqueFd(fds[0]);
  write_ = UniqueFd(fds[1]);
}

void StopSignal::Raise() {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(write_.Get(), &byte, 1);
}

bool WaitReadable(int fd, const StopSignal& stop) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
  while (poll(fds, 2, -1) < 0) {
    if (errno != EINTR) return false;
  }
  return fds[1].revents == 0;
}

bool SendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

namespace {

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

UniqueFd ConnectToLoopback(int port) {
  UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = LoopbackAddress(port);
  if (!fd.Valid() ||
      connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return UniqueFd();
  }
  return fd;
}

std::string ReadRequestHead(int fd, const StopSignal& stop) {
  std::string data;
  char buffer[4096];
  while (data.find("\r\n\r\n") == std::string::npos) {
    if (!WaitReadable(fd, stop)) return {};
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return {};
    data.append(buffer, static_cast<std::size_t>(n));
  }
  return data;
}

std::size_t ContentLength(std::string_view head) {
  std::string lower(head.substr(0, head.find("\r\n\r\n")));
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return std::stoul(lower.substr(at + 17));
}

AcceptLoop::AcceptLoop(Serve serve) : serve_(std::move(serve)) {
  listener_ = UniqueFd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof address;
  if (!listener_.Valid() ||
      bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_.Get(), 64) != 0 ||
      getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

AcceptLoop::~AcceptLoop() {
  stop_.Raise();
  thread_.join();
}

void AcceptLoop::Run() {
  while (WaitReadable(listener_.Get(), stop_)) {
    UniqueFd connection(accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (connection.Valid()) serve_(std::move(connection), stop_);
  }
}

}  // namespace support
