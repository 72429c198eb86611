#pragma once

#include <cstdint>
#include <optional>

#include "text/text.h"

namespace web {

// An internet client handle: 0 stands for "no handle", as a failed open gives.
using InetHandle = std::uint64_t;
inline constexpr InetHandle kNoHandle = 0;

inline constexpr int kInternetOpenTypeDirect = 1;
inline constexpr int kInternetOpenTypeProxy = 3;
inline constexpr int kInternetServiceHttp = 3;

inline constexpr std::uint32_t kInternetFlagReload = 0x80000000;
inline constexpr std::uint32_t kInternetFlagNeedFile = 0x10;
inline constexpr std::uint32_t kInternetFlagNoCookies = 0x80000;
inline constexpr std::uint32_t kInternetFlagNoAutoRedirect = 0x200000;
inline constexpr std::uint32_t kInternetFlagSecure = 0x800000;
inline constexpr std::uint32_t kInternetFlagIgnoreRedirectToHttps = 0x4000;

inline constexpr std::uint32_t kSecurityFlagIgnoreRedirectToHttps = 0x4000;
inline constexpr std::uint32_t kSecurityFlagIgnoreRedirectToHttp = 0x8000;

// The synchronous internet client that a web request runs on, one call per platform
// operation. Each open gives a handle that the caller closes; a request handle lives inside
// its connection handle, which lives inside its root handle. Implementations may be used
// from several threads at once, each thread with its own handles.
class InternetClient {
 public:
  virtual ~InternetClient() = default;

  // A proxy or bypass text that is not given differs from an empty one, as a null pointer
  // does from "" on the platform.
  virtual InetHandle OpenRoot(const text::Text& agent, int accessType,
                              const std::optional<text::Text>& proxy,
                              const std::optional<text::Text>& proxyBypass,
                              std::uint32_t flags) = 0;
  virtual InetHandle Connect(InetHandle root, const text::Text& host, int port, int service,
                             std::uint32_t flags) = 0;
  virtual InetHandle OpenRequest(InetHandle connection, const text::Text& verb,
                                 const text::Text& path, const text::Text& version,
                                 std::uint32_t flags) = 0;
  virtual bool SetSecurityFlags(InetHandle request, std::uint32_t securityFlags) = 0;
  // An empty body means none. Blocks until the response headers have arrived or the
  // request has failed.
  virtual bool SendRequest(InetHandle request, const text::Text& headers,
                           const text::Bytes& body) = 0;
  // Puts the next piece of the body, at most `size` bytes, into `area`; `count` is 0 at the
  // end of the body and on any failure.
  virtual bool ReadFile(InetHandle request, std::uint8_t* area, int size, int& count) = 0;
  // The final response's status line and header lines, each ended by "\r\n", then one empty
  // line; nothing when no complete header text was received.
  virtual std::optional<text::Text> QueryRawHeaders(InetHandle request) = 0;
  virtual bool CloseHandle(InetHandle handle) = 0;
};

}  // namespace web
