#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/board_server/board_page.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace board_server {

// What the board page request gets instead of the page.
enum class Failure {
  kNone,
  kServerError,  // 500 with an error page
  kEmptyBody,    // 200 with no body
  kDropMidBody,  // the head of the page, then the connection is closed
  kStall,        // no answer until the server stops or the failure changes
  kNoMarkers,    // 200 with a page that lists no topics
};

struct ServerOptions {
  int port = 0;  // 0: any free port
  int topicCount = 30;
  int addEverySeconds = 0;  // 0: topics are only added on request
  // When not empty, served as the board page instead of the generated one.
  text::Text fixedPage;
  // Both given: HTTPS with this certificate and key; otherwise plain HTTP.
  std::string certFile;
  std::string keyFile;
};

// A board of the forum on 127.0.0.1, serving its first page at /forum-121-1.html (and the same
// topics for any other board number), newest topic first. GET /control?add=N, ?topics=N and
// ?fail=none|500|empty|drop|stall|nomarkers change it while it runs. Every member may be called
// from any thread.
class BoardServer {
 public:
  explicit BoardServer(ServerOptions options);
  ~BoardServer();
  BoardServer(const BoardServer&) = delete;
  BoardServer& operator=(const BoardServer&) = delete;

  // Binds and starts serving in the background; false when the certificate, the key or the
  // port cannot be used.
  bool Start();
  // Ends stalled answers, stops serving and waits for the server's threads.
  void Stop();

  int Port() const;
  // "https://127.0.0.1:<port>" or "http://...", the forum base URL of this board.
  std::string BaseUrl() const;

  std::vector<BoardTopic> Topics() const;
  // Adds count new topics at the top, the newest first.
  void AddTopics(int count);
  // Adds this topic at the top.
  void AddTopic(BoardTopic topic);
  // Replaces the topics by count fresh ones.
  void ResetTopics(int count);
  void SetFailure(Failure failure);
  // The number of board page requests answered or failed so far.
  int PageRequests() const;
  // The User-Agent header of the last board page request.
  std::string LastUserAgent() const;

 private:
  void ServeBoardPage(httplib::Response& response);
  void Control(const httplib::Request& request, httplib::Response& response);
  void AddTopicsLocked(int count);
  void AddTopicsEvery(int seconds);

  ServerOptions options_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
  std::thread adder_;
  int port_ = -1;

  mutable std::mutex mutex_;
  // Told when stopping_ or failure_ changes.
  std::condition_variable stopOrFailureChanged_;
  bool stopping_ = false;
  std::vector<BoardTopic> topics_;
  int nextSerial_ = 1;
  Failure failure_ = Failure::kNone;
  int pageRequests_ = 0;
  std::string lastUserAgent_;
};

}  // namespace board_server
