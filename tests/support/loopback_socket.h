#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace support {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  ~UniqueFd();
  int Get() const { return fd_; }
  int Release();
  bool Valid() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// A one-way signal that can be waited on together with sockets.
class StopSignal {
 public:
  StopSignal();
  void Raise();
  int Fd() const { return read_.Get(); }

 private:
  UniqueFd read_;
  UniqueFd write_;
};

// Waits until `fd` can be read; false when `stop` is raised first.
bool WaitReadable(int fd, const StopSignal& stop);
bool SendAll(int fd, std::string_view data);
// Connects to 127.0.0.1; an invalid descriptor when nobody listens there.
UniqueFd ConnectToLoopback(int port);
// Reads up to the blank line that ends a request head; whatever came after it stays in the
// result. Empty when the peer leaves or `stop` is raised before the head is whole.
std::string ReadRequestHead(int fd, const StopSignal& stop);
// The value of a Content-Length line of a request head, 0 when there is none.
std::size_t ContentLength(std::string_view head);

// Listens on a free port of 127.0.0.1 and hands each accepted connection, one after the
// other, to `serve` on a thread of its own. The destructor raises the stop signal, which
// every wait of `serve` must watch, and joins the thread.
class AcceptLoop {
 public:
  using Serve = std::function<void(UniqueFd connection, const StopSignal& stop)>;
  explicit AcceptLoop(Serve serve);
  ~AcceptLoop();
  AcceptLoop(const AcceptLoop&) = delete;
  AcceptLoop& operator=(const AcceptLoop&) = delete;
  int Port() const { return port_; }

 private:
  void Run();

  Serve serve_;
  StopSignal stop_;
  UniqueFd listener_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace support
