#include "web/web_request.h"

#include <algorithm>
#include <array>

#include "text/text_helpers.h"
#include "web/cookies.h"
#include "web/headers.h"
#include "web/inet_curl.h"
#include "web/url.h"

namespace web {
namespace {

constexpr std::array<const char*, 8> kVerbs = {"GET",     "POST",   "HEAD",  "PUT",
                                               "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr int kReadPiece = 1024;
constexpr int kHeaderArea = 5000;

bool Contains(const text::Text& t, const text::Text& name) {
  return text::FindText(t, name, std::nullopt, true) != -1;
}

text::Text Agent(const text::Text& headers) {
  if (!Contains(headers, "User-Agent:")) return kDefaultUserAgent;
  const text::Text agent =
      text::TrimSpaces(text::TextBetween(headers + "\r\n", "User-Agent:", "\r\n"));
  // The name in another case (normalisation off) or an empty value.
  return agent.empty() ? ValueAfterColon(headers) : agent;
}

// Completion tests search the whole text, so a name found inside another line (X-Accept
// holds "Accept:") counts as present.
void CompleteHeaders(text::Text& headers, const text::Text& url, int method) {
  if (headers.empty()) headers = "Accept: */*";
  if (!Contains(headers, "Accept:")) headers += "\r\nAccept: */*";
  if (!Contains(headers, "Referer:")) headers += "\r\nReferer: " + url;
  if (!Contains(headers, "Accept-Language:")) headers += "\r\nAccept-Language: zh-cn";
  if (method == 1 && !Contains(headers, "Content-Type:")) {
    headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  }
}

}  // namespace

WebResponse WebRequest(const WebRequestInput& input) {
  CurlInternetClient client;
  return WebRequest(input, client);
}

WebResponse WebRequest(const WebRequestInput& input, InternetClient& client) {
  WebResponse response;
  const bool mergeCookies = input.mergeCookies.value_or(true);
  const bool completeHeaders = input.completeHeaders.value_or(true);
  const bool normalizeHeaders = input.normalizeHeaders.value_or(true);

  text::Text headers = input.headers.value_or(text::Text());
  if (normalizeHeaders) headers = NormalizeHeaderNames(headers);

  int method = input.method.value_or(0);
  if (method < 0 || method > 7) method = 0;

  const bool secure = text::ToLowerAscii(text::TextLeft(input.url, 8)) == "https://";
  const text::Text agent = Agent(headers);

  const text::Text proxy = input.proxy.value_or(text::Text());
  const InetHandle root =
      proxy.empty() ? client.OpenRoot(agent, kInternetOpenTypeDirect, std::nullopt, std::nullopt, 0)
                    : client.OpenRoot(agent, kInternetOpenTypeProxy,
                                      secure ? proxy : "http=" + proxy, text::Text(), 0);
  if (root == kNoHandle) return response;

  const InetHandle connection =
      client.Connect(root, UrlHost(input.url), UrlPort(input.url), kInternetServiceHttp, 0);
  if (connection == kNoHandle) {
    client.CloseHandle(root);
    return response;
  }

  std::uint32_t flags = kInternetFlagReload | kInternetFlagNeedFile;
  if (input.cookies) flags |= kInternetFlagNoCookies;
  if (input.noRedirect.value_or(false)) flags |= kInternetFlagNoAutoRedirect;
  flags |= secure ? kInternetFlagSecure : kInternetFlagIgnoreRedirectToHttps;

  const InetHandle request =
      client.OpenRequest(connection, kVerbs[method], UrlPath(input.url), "HTTP/1.1", flags);
  if (request == kNoHandle) {
    client.CloseHandle(connection);
    client.CloseHandle(root);
    return response;
  }
  client.SetSecurityFlags(request, kRequestSecurityFlags);

  if (completeHeaders) CompleteHeaders(headers, input.url, method);
  const text::Text cookies = input.cookies.value_or(text::Text());
  if (!cookies.empty()) {
    // A cookie text that already names its header is sent as the line it is.
    headers +=
        text::FindText(cookies, "Cookie:") == -1 ? "\r\nCookie: " + cookies : "\r\n" + cookies;
  }

  text::Bytes body;
  if (method != 0) {
    body = input.postBytes && !input.postBytes->empty()
               ? *input.postBytes
               : text::TextToBytes(input.postText.value_or(text::Text()));
  }
  client.SendRequest(request, headers, body);

  std::array<std::uint8_t, kReadPiece> area;
  for (;;) {
    int count = 0;
    client.ReadFile(request, area.data(), kReadPiece, count);
    if (count <= 0) break;
    response.body.insert(response.body.end(), area.begin(),
                         area.begin() + std::min(count, kReadPiece));
  }

  // The whole header text, however long: a fixed area would lose a long one and its cookies.
  const std::optional<text::Text> raw = client.QueryRawHeaders(request);
  response.responseHeaders = raw ? raw->substr(0, raw->find('\0')) : text::BlankText(kHeaderArea);

  client.CloseHandle(request);
  client.CloseHandle(connection);
  client.CloseHandle(root);

  response.responseCookies = CollectSetCookies(response.responseHeaders);
  if (mergeCookies && input.cookies) {
    text::Text sent = *input.cookies;
    response.responseCookies = MergeCookies(sent, response.responseCookies);
  }
  return response;
}

}  // namespace web
