#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "web/inet.h"

namespace web {

struct CurlObject;

struct CurlClientOptions {
  // Gives up when the connection, TLS handshake included, is not made within this time.
  std::chrono::seconds connectTimeout{60};
  // Gives up when a started request neither sends nor receives anything for this long.
  std::chrono::seconds stallTimeout{60};
};

// The internet client over libcurl: one easy handle per request, driven piece by piece so
// that a body is never held twice. Requests without kInternetFlagNoCookies share one
// in-memory cookie store for the whole process; nothing else is shared between requests.
class CurlInternetClient final : public InternetClient {
 public:
  explicit CurlInternetClient(CurlClientOptions options = {});
  ~CurlInternetClient() override;
  CurlInternetClient(const CurlInternetClient&) = delete;
  CurlInternetClient& operator=(const CurlInternetClient&) = delete;

  InetHandle OpenRoot(const text::Text& agent, int accessType,
                      const std::optional<text::Text>& proxy,
                      const std::optional<text::Text>& proxyBypass, std::uint32_t flags) override;
  InetHandle Connect(InetHandle root, const text::Text& host, int port, int service,
                     std::uint32_t flags) override;
  InetHandle OpenRequest(InetHandle connection, const text::Text& verb, const text::Text& path,
                         const text::Text& version, std::uint32_t flags) override;
  bool SetSecurityFlags(InetHandle request, std::uint32_t securityFlags) override;
  bool SendRequest(InetHandle request, const text::Text& headers, const text::Bytes& body) override;
  bool ReadFile(InetHandle request, std::uint8_t* area, int size, int& count) override;
  std::optional<text::Text> QueryRawHeaders(InetHandle request) override;
  bool CloseHandle(InetHandle handle) override;

 private:
  InetHandle Add(std::unique_ptr<CurlObject> object);
  template <typename T>
  T* Find(InetHandle handle);

  CurlClientOptions options_;
  std::mutex mutex_;
  InetHandle nextHandle_ = 1;
  std::unordered_map<InetHandle, std::unique_ptr<CurlObject>> objects_;
};

}  // namespace web
