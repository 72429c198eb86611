#include "tools/board_server/board_server.h"

#include <httplib.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <optional>
#include <utility>

namespace board_server {

namespace {

const char kHtml[] = "text/html; charset=gbk";

std::optional<int> ParseCount(const std::string& value) {
  int count = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
  if (error != std::errc() || end != value.data() + value.size() || count < 0) {
    return std::nullopt;
  }
  return count;
}

std::optional<Failure> ParseFailure(const std::string& value) {
  static const std::pair<const char*, Failure> kNames[] = {
      {"none", Failure::kNone},       {"500", Failure::kServerError},
      {"empty", Failure::kEmptyBody}, {"drop", Failure::kDropMidBody},
      {"stall", Failure::kStall},     {"nomarkers", Failure::kNoMarkers},
  };
  for (const auto& [name, failure] : kNames) {
    if (value == name) {
      return failure;
    }
  }
  return std::nullopt;
}

}  // namespace

BoardServer::BoardServer(ServerOptions options) : options_(std::move(options)) {
  AddTopicsLocked(options_.topicCount);
}

BoardServer::~BoardServer() { Stop(); }

bool BoardServer::Start() {
  if (!options_.certFile.empty() || !options_.keyFile.empty()) {
    server_ =
        std::make_unique<httplib::SSLServer>(options_.certFile.c_str(), options_.keyFile.c_str());
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  if (!server_->is_valid()) {
    return false;
  }
  server_->set_keep_alive_timeout(1);
  // Every board of this forum lists the same topics.
  server_->Get(R"(/forum-[0-9]+-1\.html)",
               [this](const httplib::Request& request, httplib::Response& response) {
                 {
                   const std::lock_guard lock(mutex_);
                   lastUserAgent_ = request.get_header_value("User-Agent");
                 }
                 ServeBoardPage(response);
               });
  server_->Get("/control", [this](const httplib::Request& request, httplib::Response& response) {
    Control(request, response);
  });
  if (options_.port == 0) {
    port_ = server_->bind_to_any_port("127.0.0.1");
  } else if (server_->bind_to_port("127.0.0.1", options_.port)) {
    port_ = options_.port;
  }
  if (port_ < 0) {
    return false;
  }
  listener_ = std::thread([this] { server_->listen_after_bind(); });
  // A stop that comes before the accept loop runs would be lost and leave Stop waiting.
  for (int waited = 0; !server_->is_running() && waited < 5000; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (options_.addEverySeconds > 0) {
    adder_ = std::thread([this] { AddTopicsEvery(options_.addEverySeconds); });
  }
  return true;
}

void BoardServer::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopOrFailureChanged_.notify_all();
  if (server_) {
    server_->stop();
  }
  if (listener_.joinable()) {
    listener_.join();
  }
  if (adder_.joinable()) {
    adder_.join();
  }
}

int BoardServer::Port() const { return port_; }

std::string BoardServer::BaseUrl() const {
  const bool secure = !options_.certFile.empty() || !options_.keyFile.empty();
  return std::string(secure ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

std::vector<BoardTopic> BoardServer::Topics() const {
  const std::lock_guard lock(mutex_);
  return topics_;
}

void BoardServer::AddTopics(int count) {
  const std::lock_guard lock(mutex_);
  AddTopicsLocked(count);
}

void BoardServer::AddTopic(BoardTopic topic) {
  const std::lock_guard lock(mutex_);
  topics_.insert(topics_.begin(), std::move(topic));
}

void BoardServer::ResetTopics(int count) {
  const std::lock_guard lock(mutex_);
  topics_.clear();
  AddTopicsLocked(count);
}

void BoardServer::SetFailure(Failure failure) {
  {
    const std::lock_guard lock(mutex_);
    failure_ = failure;
  }
  stopOrFailureChanged_.notify_all();
}

std::string BoardServer::LastUserAgent() const {
  const std::lock_guard lock(mutex_);
  return lastUserAgent_;
}

int BoardServer::PageRequests() const {
  const std::lock_guard lock(mutex_);
  return pageRequests_;
}

void BoardServer::AddTopicsLocked(int count) {
  std::vector<BoardTopic> added;
  for (int i = 0; i < count; ++i) {
    added.push_back(MakeTopic(nextSerial_++));
  }
  std::reverse(added.begin(), added.end());
  topics_.insert(topics_.begin(), added.begin(), added.end());
}

void BoardServer::AddTopicsEvery(int seconds) {
  std::unique_lock lock(mutex_);
  while (!stopOrFailureChanged_.wait_for(lock, std::chrono::seconds(seconds),
                                         [this] { return stopping_; })) {
    AddTopicsLocked(1);
  }
}

void BoardServer::ServeBoardPage(httplib::Response& response) {
  std::unique_lock lock(mutex_);
  ++pageRequests_;
  // A stalled answer is released by the stop, or by a change of failure, after which it is
  // answered as the board now answers.
  stopOrFailureChanged_.wait(lock, [this] { return stopping_ || failure_ != Failure::kStall; });
  if (stopping_) {
    response.status = 503;
    return;
  }
  const Failure failure = failure_;
  const std::vector<BoardTopic> topics = topics_;
  lock.unlock();

  switch (failure) {
    case Failure::kServerError:
      response.status = 500;
      response.set_content(ServerErrorPageHtml(), kHtml);
      return;
    case Failure::kEmptyBody:
      response.set_content("", kHtml);
      return;
    case Failure::kNoMarkers:
      response.set_content(MaintenancePageHtml(), kHtml);
      return;
    case Failure::kDropMidBody: {
      // The promised length is the whole page, but the connection closes halfway through
      // the page's head, before the first topic; halfway through a page without a topic table.
      const text::Text page =
          options_.fixedPage.empty() ? BoardPageHtml(topics) : options_.fixedPage;
      const std::size_t table = page.find("<tbody");
      const std::size_t cut = (table == text::Text::npos ? page.size() : table) / 2;
      response.set_content_provider(
          page.size(), kHtml,
          [page, cut](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (offset >= cut) {
              return false;
            }
            return sink.write(page.data() + offset, cut - offset);
          });
      return;
    }
    case Failure::kNone:
    case Failure::kStall:
      break;
  }
  response.set_content(options_.fixedPage.empty() ? BoardPageHtml(topics) : options_.fixedPage,
                       kHtml);
}

void BoardServer::Control(const httplib::Request& request, httplib::Response& response) {
  std::optional<int> add;
  std::optional<int> reset;
  std::optional<Failure> failure;
  bool valid = !request.params.empty();
  for (const auto& [name, value] : request.params) {
    if (name == "add" && (add = ParseCount(value))) {
      continue;
    }
    if (name == "topics" && (reset = ParseCount(value))) {
      continue;
    }
    if (name == "fail" && (failure = ParseFailure(value))) {
      continue;
    }
    valid = false;
  }
  if (!valid) {
    response.status = 400;
    response.set_content(
        "usage: /control?add=N&topics=N&fail=none|500|empty|drop|stall|nomarkers\n", "text/plain");
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    if (reset) {
      topics_.clear();
      AddTopicsLocked(*reset);
    }
    if (add) {
      AddTopicsLocked(*add);
    }
    if (failure) {
      failure_ = *failure;
    }
  }
  stopOrFailureChanged_.notify_all();
  response.set_content("ok\n", "text/plain");
}

}  // namespace board_server
