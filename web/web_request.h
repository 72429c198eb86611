#pragma once

#include <optional>

#include "text/text.h"
#include "web/inet.h"

namespace web {

struct WebRequestInput {
  text::Text url;
  std::optional<int> method;
  std::optional<text::Text> postText;
  // Given but empty still differs from not given: the platform's cookie handling is turned
  // off and the collected cookies are merged.
  std::optional<text::Text> cookies;
  std::optional<text::Text> headers;
  std::optional<bool> noRedirect;
  std::optional<text::Bytes> postBytes;
  std::optional<text::Text> proxy;
  std::optional<bool> mergeCookies;
  std::optional<bool> completeHeaders;
  std::optional<bool> normalizeHeaders;
};

struct WebResponse {
  text::Bytes body;
  text::Text responseCookies;
  // The final response's raw header text, however long; 5000 spaces when the request was
  // sent but no header text came back; empty when the request could not be opened.
  text::Text responseHeaders;
};

inline constexpr char kDefaultUserAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
inline constexpr std::uint32_t kRequestSecurityFlags = 0x1F380;

// One complete, synchronous request. Never throws; a failed request gives an empty body.
// Without a client it runs on a libcurl client of its own.
WebResponse WebRequest(const WebRequestInput& input);
WebResponse WebRequest(const WebRequestInput& input, InternetClient& client);

}  // namespace web
