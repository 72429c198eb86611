#include "web/inet_curl.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <string_view>
#include <variant>

namespace web {
namespace {

bool InitCurlOnce() {
  static const bool ready = [] {
    // A peer that closes early must fail the one request, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  }();
  return ready;
}

CURLSH* SharedCookieStore() {
  static std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
  static CURLSH* const share = [] {
    CURLSH* s = curl_share_init();
    if (s == nullptr) return s;
    auto lock = +[](CURL*, curl_lock_data data, curl_lock_access, void*) { locks[data].lock(); };
    auto unlock = +[](CURL*, curl_lock_data data, void*) { locks[data].unlock(); };
    curl_share_setopt(s, CURLSHOPT_LOCKFUNC, lock);
    curl_share_setopt(s, CURLSHOPT_UNLOCKFUNC, unlock);
    curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    return s;
  }();
  return share;
}

constexpr long kReceivePiece = 256 * 1024;
constexpr std::size_t kPendingLimit = 512 * 1024;

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// A proxy address as the platform writes it ("host", "host:port", "http://host:port") in
// the form curl takes; the port is 80 when none is given.
std::string ProxyUrl(std::string_view address) {
  constexpr std::string_view kScheme = "http://";
  if (address.size() >= kScheme.size() &&
      std::equal(kScheme.begin(), kScheme.end(), address.begin(),
                 [](char a, char b) { return a == (b | 0x20); })) {
    address.remove_prefix(kScheme.size());
  }
  while (!address.empty() && address.back() == '/') address.remove_suffix(1);
  if (address.empty()) return {};
  std::string url = "http://" + std::string(address);
  const std::size_t colon = address.rfind(':');
  const bool hasPort = colon != std::string_view::npos && address.find(']', colon) == address.npos;
  if (!hasPort) url += ":80";
  return url;
}

// The proxy list: entries separated by spaces or semicolons, each "scheme=address" for
// one scheme or a bare address for every scheme. Gives the proxy for `scheme`, or nothing.
// A plain request puts "http=" before the caller's text, so an entry the caller already
// wrote as "http=address" arrives as "http=http=address"; host names hold no "=", so the
// address is what follows the last one.
std::string ProxyForScheme(std::string_view list, std::string_view scheme) {
  std::string forAll;
  std::size_t pos = 0;
  while (pos < list.size()) {
    const std::size_t end = std::min(list.find_first_of(" \t;", pos), list.size());
    const std::string_view entry = list.substr(pos, end - pos);
    pos = end + 1;
    if (entry.empty()) continue;
    const std::size_t eq = entry.find('=');
    if (eq == std::string_view::npos) {
      if (forAll.empty()) forAll = ProxyUrl(entry);
    } else if (entry.substr(0, eq) == scheme) {
      return ProxyUrl(entry.substr(entry.rfind('=') + 1));
    }
  }
  return forAll;
}

// A host name goes into the address curl parses; anything that could change how that
// address is read (user info, a path, spaces, control bytes) makes the connection fail.
bool IsPlainHost(std::string_view host) {
  if (host.empty()) return false;
  return std::none_of(host.begin(), host.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b <= 0x20 || b >= 0x7f || std::strchr("/?#@\\", c) != nullptr;
  });
}

// Bytes that an address may not carry are sent percent-encoded; every other byte of the
// path goes out as given.
std::string EscapePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7f) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

struct Root {
  std::string agent;
  std::string proxyList;  // empty for a direct connection
};

struct Connection {
  Root root;
  std::string host;
  int port = 0;
};

struct Request {
  Request() = default;
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;
  ~Request() {
    if (multi != nullptr && easy != nullptr) curl_multi_remove_handle(multi, easy);
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
    curl_slist_free_all(proxyHeaders);
  }

  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headers = nullptr;
  curl_slist* proxyHeaders = nullptr;
  std::string verb;
  std::uint32_t flags = 0;
  std::uint32_t securityFlags = 0;
  text::Bytes body;

  bool started = false;
  bool done = false;
  // HEAD sent with a body: curl then treats it as an ordinary request and would wait for a
  // response body that a HEAD answer never has, so the exchange ends with its final headers.
  bool headWithBody = false;
  CURLcode result = CURLE_OK;

  std::chrono::seconds stallTimeout{};
  std::chrono::steady_clock::time_point lastActivity;
  curl_off_t uploaded = 0;

  // Body bytes received but not yet read, and whether curl holds back more until they are.
  std::string pending;
  std::size_t pendingRead = 0;
  bool paused = false;

  std::string headerBlock;  // the response whose header lines are arriving
  bool inHeaderBlock = false;
  std::optional<std::string> rawHeaders;  // the last complete non-informational response
};

}  // namespace

struct CurlObject {
  std::variant<Root, Connection, Request> value;
};

namespace {

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& r = *static_cast<Request*>(user);
  r.lastActivity = std::chrono::steady_clock::now();
  // On a fast connection one round of curl's loop can bring megabytes; holding it back keeps
  // the buffer, and the fresh memory each request would touch, small.
  if (r.pending.size() - r.pendingRead >= kPendingLimit) {
    r.paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  r.pending.append(data, size * count);
  return size * count;
}

}  // namespace

CurlInternetClient::CurlInternetClient(CurlClientOptions options) : options_(options) {
  InitCurlOnce();
}

CurlInternetClient::~CurlInternetClient() = default;

InetHandle CurlInternetClient::Add(std::unique_ptr<CurlObject> object) {
  const std::scoped_lock lock(mutex_);
  const InetHandle handle = nextHandle_++;
  objects_.emplace(handle, std::move(object));
  return handle;
}

template <typename T>
T* CurlInternetClient::Find(InetHandle handle) {
  const std::scoped_lock lock(mutex_);
  const auto it = objects_.find(handle);
  return it == objects_.end() ? nullptr : std::get_if<T>(&it->second->value);
}

InetHandle CurlInternetClient::OpenRoot(const text::Text& agent, int accessType,
                                        const std::optional<text::Text>& proxy,
                                        const std::optional<text::Text>&, std::uint32_t) {
  if (!InitCurlOnce()) return kNoHandle;
  auto object = std::make_unique<CurlObject>();
  Root& root = object->value.emplace<Root>();
  // A line break in the agent would start a header line of its own.
  root.agent = agent.substr(0, agent.find_first_of("\r\n"));
  if (accessType == kInternetOpenTypeProxy) {
    if (!proxy || proxy->empty()) return kNoHandle;
    root.proxyList = *proxy;
  }
  return Add(std::move(object));
}

InetHandle CurlInternetClient::Connect(InetHandle root, const text::Text& host, int port,
                                       int service, std::uint32_t) {
  const Root* parent = Find<Root>(root);
  if (parent == nullptr || service != kInternetServiceHttp || !IsPlainHost(host) || port < 0 ||
      port > 65535) {
    return kNoHandle;
  }
  auto object = std::make_unique<CurlObject>();
  object->value = Connection{*parent, host, port};
  return Add(std::move(object));
}

InetHandle CurlInternetClient::OpenRequest(InetHandle connection, const text::Text& verb,
                                           const text::Text& path, const text::Text& version,
                                           std::uint32_t flags) {
  const Connection* parent = Find<Connection>(connection);
  if (parent == nullptr || verb.empty() || verb.find_first_of(" \t\r\n") != text::Text::npos) {
    return kNoHandle;
  }
  auto object = std::make_unique<CurlObject>();
  Request& r = object->value.emplace<Request>();
  r.easy = curl_easy_init();
  r.multi = curl_multi_init();
  if (r.easy == nullptr || r.multi == nullptr) return kNoHandle;
  r.verb = verb;
  r.flags = flags;

  const bool secure = (flags & kInternetFlagSecure) != 0;
  const std::string scheme = secure ? "https" : "http";
  std::string url = scheme;
  url.append("://").append(parent->host);
  if (parent->port != 0) url.append(":").append(std::to_string(parent->port));
  if (path.empty() || path.front() != '/') url += '/';
  url += EscapePath(path);

  CURL* e = r.easy;
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION,
                   version == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceivePiece);
  curl_easy_setopt(e, CURLOPT_USERAGENT, parent->root.agent.c_str());

  // An empty proxy text is a direct connection: the program reads no proxy settings from
  // the environment, and the empty strings keep curl from reading them either.
  const std::string proxy = ProxyForScheme(parent->root.proxyList, scheme);
  curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(e, CURLOPT_NOPROXY, "");
  curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, static_cast<long>(options_.connectTimeout.count()));
  r.stallTimeout = options_.stallTimeout;

  if ((flags & kInternetFlagNoCookies) == 0) {
    curl_easy_setopt(e, CURLOPT_SHARE, SharedCookieStore());
    curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
  }
  const bool follow = (flags & kInternetFlagNoAutoRedirect) == 0;
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, 10L);

  if (verb == "HEAD") {
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else if (verb != "GET") {
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
  }
  return Add(std::move(object));
}

bool CurlInternetClient::SetSecurityFlags(InetHandle request, std::uint32_t securityFlags) {
  Request* r = Find<Request>(request);
  if (r == nullptr || r->started) return false;
  r->securityFlags = securityFlags;
  // Every certificate fault the flags can name is ignored, so nothing of the peer is checked.
  curl_easy_setopt(r->easy, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(r->easy, CURLOPT_SSL_VERIFYHOST, 0L);
  return true;
}

namespace {

// One header line as curl takes it: a line whose value is empty is written "Name;", since
// curl reads "Name:" as "do not send this header".
std::string CurlHeaderLine(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon != std::string_view::npos && Trim(line.substr(colon + 1)).empty()) {
    return std::string(line.substr(0, colon)) + ";";
  }
  return std::string(line);
}

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& r = *static_cast<Request*>(user);
  r.lastActivity = std::chrono::steady_clock::now();
  std::string_view line(data, size * count);
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  // Each response of the exchange (100-continue, redirects, the final one) starts with a
  // status line; lines after a complete block without one are trailers.
  if (line.starts_with("HTTP/")) {
    r.headerBlock.clear();
    r.inHeaderBlock = true;
  }
  if (!r.inHeaderBlock) return size * count;
  r.headerBlock.append(line).append("\r\n");
  if (line.empty()) {
    r.inHeaderBlock = false;
    const std::size_t space = r.headerBlock.find(' ');
    const char statusClass = space != std::string::npos ? r.headerBlock[space + 1] : '\0';
    if (statusClass != '1') r.rawHeaders = r.headerBlock;
    const bool followed = statusClass == '3' && (r.flags & kInternetFlagNoAutoRedirect) == 0;
    if (r.headWithBody && statusClass != '1' && !followed) r.done = true;
  }
  return size * count;
}

// Runs the transfer for one round; when the round brought nothing, waits until something
// arrives or at most until the stall time-out is due.
void Advance(Request& r) {
  const std::size_t pendingBefore = r.pending.size();
  const bool headersBefore = r.rawHeaders.has_value();
  int running = 0;
  if (curl_multi_perform(r.multi, &running) != CURLM_OK) {
    r.done = true;
    r.result = CURLE_RECV_ERROR;
    return;
  }
  if (running == 0) {
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(r.multi, &queued)) {
      if (message->msg == CURLMSG_DONE) r.result = message->data.result;
    }
    r.done = true;
    return;
  }
  if (r.pending.size() != pendingBefore || r.rawHeaders.has_value() != headersBefore || r.paused) {
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  curl_off_t uploaded = 0;
  curl_easy_getinfo(r.easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
  if (uploaded != r.uploaded) {
    r.uploaded = uploaded;
    r.lastActivity = now;
  }
  const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(now - r.lastActivity);
  if (quiet >= r.stallTimeout) {
    r.done = true;
    r.result = CURLE_OPERATION_TIMEDOUT;
    return;
  }
  const auto wait = std::min(std::chrono::milliseconds(1000), r.stallTimeout - quiet);
  curl_multi_poll(r.multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
}

}  // namespace

bool CurlInternetClient::SendRequest(InetHandle request, const text::Text& headers,
                                     const text::Bytes& body) {
  Request* found = Find<Request>(request);
  if (found == nullptr || found->started) return false;
  Request& r = *found;
  CURL* e = r.easy;

  std::size_t pos = 0;
  while (pos <= headers.size()) {
    const std::size_t end = std::min(headers.find("\r\n", pos), headers.size());
    const std::string_view line(headers.data() + pos, end - pos);
    pos = end + 2;
    if (line.empty()) continue;
    r.headers = curl_slist_append(r.headers, CurlHeaderLine(line).c_str());
  }
  // Only what the header text carries goes out, apart from Host, Content-Length and
  // Connection.
  for (const char* suppressed : {"Accept:", "Expect:", "Content-Type:"}) {
    r.headers = curl_slist_append(r.headers, suppressed);
  }
  r.proxyHeaders = curl_slist_append(r.proxyHeaders, "Proxy-Connection:");
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, r.headers);
  curl_easy_setopt(e, CURLOPT_PROXYHEADER, r.proxyHeaders);
  curl_easy_setopt(e, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);

  r.body = body;
  if (r.verb == "HEAD" && !r.body.empty()) {
    r.headWithBody = true;
    curl_easy_setopt(e, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "HEAD");
  }
  if (!r.body.empty() || r.verb == "POST") {
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
    const void* data = r.body.empty() ? static_cast<const void*>("") : r.body.data();
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, data);
  }

  const bool secure = (r.flags & kInternetFlagSecure) != 0;
  const bool toHttp = !secure || (r.securityFlags & kSecurityFlagIgnoreRedirectToHttp) != 0;
  const bool toHttps = secure || (r.flags & kInternetFlagIgnoreRedirectToHttps) != 0 ||
                       (r.securityFlags & kSecurityFlagIgnoreRedirectToHttps) != 0;
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR,
                   toHttp && toHttps ? "http,https" : (toHttp ? "http" : "https"));

  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeaderLine);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &r);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &r);

  if (curl_multi_add_handle(r.multi, e) != CURLM_OK) return false;
  r.started = true;
  r.lastActivity = std::chrono::steady_clock::now();
  while (!r.rawHeaders && !r.done) Advance(r);
  return r.rawHeaders.has_value();
}

bool CurlInternetClient::ReadFile(InetHandle request, std::uint8_t* area, int size, int& count) {
  count = 0;
  Request* found = Find<Request>(request);
  if (found == nullptr || !found->started || size <= 0) return false;
  Request& r = *found;
  while (r.pendingRead == r.pending.size() && !r.done) {
    r.pending.clear();
    r.pendingRead = 0;
    if (r.paused) {
      // Hands over what curl held back, often at once, before it reads more.
      r.paused = false;
      curl_easy_pause(r.easy, CURLPAUSE_CONT);
    } else {
      Advance(r);
    }
  }
  const std::size_t available = r.pending.size() - r.pendingRead;
  if (available == 0) return r.result == CURLE_OK;
  const std::size_t n = std::min(available, static_cast<std::size_t>(size));
  std::memcpy(area, r.pending.data() + r.pendingRead, n);
  r.pendingRead += n;
  count = static_cast<int>(n);
  return true;
}

std::optional<text::Text> CurlInternetClient::QueryRawHeaders(InetHandle request) {
  const Request* r = Find<Request>(request);
  if (r == nullptr) return std::nullopt;
  return r->rawHeaders;
}

bool CurlInternetClient::CloseHandle(InetHandle handle) {
  std::unique_ptr<CurlObject> object;
  {
    const std::scoped_lock lock(mutex_);
    const auto it = objects_.find(handle);
    if (it == objects_.end()) return false;
    object = std::move(it->second);
    objects_.erase(it);
  }
  return true;
}

}  // namespace web
