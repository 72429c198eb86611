#include "support/raw_test_server.h"

#include <openssl/ssl.h>
#include <sys/socket.h>

#include <stdexcept>

namespace support {

struct RawTestServer::Tls {
  Tls() : context(SSL_CTX_new(TLS_server_method())) {
    if (context == nullptr ||
        SSL_CTX_use_certificate_file(context, BW_TEST_CERT_DIR "/server.crt", SSL_FILETYPE_PEM) !=
            1 ||
        SSL_CTX_use_PrivateKey_file(context, BW_TEST_CERT_DIR "/server.key", SSL_FILETYPE_PEM) !=
            1) {
      throw std::runtime_error("cannot load the test certificate");
    }
  }
  ~Tls() { SSL_CTX_free(context); }
  Tls(const Tls&) = delete;
  Tls& operator=(const Tls&) = delete;
  SSL_CTX* context;
};

namespace {

// One accepted connection, plain or inside TLS.
class Channel {
 public:
  Channel(int fd, SSL_CTX* tls) : fd_(fd), ssl_(tls != nullptr ? SSL_new(tls) : nullptr) {
    if (ssl_ != nullptr) SSL_set_fd(ssl_, fd);
  }
  ~Channel() {
    if (ssl_ != nullptr) {
      SSL_shutdown(ssl_);
      SSL_free(ssl_);
    }
  }
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  bool Accept() { return ssl_ == nullptr || SSL_accept(ssl_) == 1; }

  // Appends what arrives next; false when the peer has left or `stop` was raised.
  bool Receive(std::string& data, const StopSignal& stop) {
    char buffer[16384];
    if ((ssl_ == nullptr || SSL_pending(ssl_) == 0) && !WaitReadable(fd_, stop)) return false;
    const int n = ssl_ != nullptr ? SSL_read(ssl_, buffer, sizeof buffer)
                                  : static_cast<int>(recv(fd_, buffer, sizeof buffer, 0));
    if (n <= 0) return false;
    data.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  void Send(std::string_view data) {
    if (ssl_ == nullptr) {
      SendAll(fd_, data);
    } else if (!data.empty()) {
      SSL_write(ssl_, data.data(), static_cast<int>(data.size()));
    }
  }

 private:
  int fd_;
  SSL* ssl_;
};

bool RequestComplete(const std::string& data) {
  const std::size_t headEnd = data.find("\r\n\r\n");
  return headEnd != std::string::npos && data.size() >= headEnd + 4 + ContentLength(data);
}

}  // namespace

RawTestServer::RawTestServer(RawReply reply, Transport transport) : reply_(std::move(reply)) {
  if (transport == Transport::kTls) tls_ = std::make_unique<Tls>();
  loop_ = std::make_unique<AcceptLoop>(
      [this](UniqueFd connection, const StopSignal& stop) { Serve(std::move(connection), stop); });
}

RawTestServer::~RawTestServer() = default;

std::string RawTestServer::Url(std::string_view path) const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(Port()) +
         std::string(path);
}

std::vector<std::string> RawTestServer::Requests() const {
  const std::scoped_lock lock(mutex_);
  return requests_;
}

void RawTestServer::Serve(UniqueFd connection, const StopSignal& stop) {
  Channel channel(connection.Get(), tls_ ? tls_->context : nullptr);
  if (!channel.Accept()) return;
  std::string request;
  bool arrived = channel.Receive(request, stop);
  while (arrived && reply_.waitForRequest && !RequestComplete(request)) {
    arrived = channel.Receive(request, stop);
  }
  {
    const std::scoped_lock lock(mutex_);
    requests_.push_back(request);
  }
  if (!arrived) return;
  channel.Send(reply_.bytes);
  if (reply_.stall) {
    std::string ignored;
    while (channel.Receive(ignored, stop)) ignored.clear();
  }
  shutdown(connection.Get(), SHUT_RDWR);
}

}  // namespace support
