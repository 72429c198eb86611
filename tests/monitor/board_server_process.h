#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

namespace monitor_test {

// The board_server program started as a child process, so that tests see it exactly as the
// demo does and no server thread shares the test's process. Stopped with SIGTERM on
// destruction.
class BoardServerProcess {
 public:
  // Starts the program with these arguments and reads the address it prints; BaseUrl() is
  // empty when it did not start.
  explicit BoardServerProcess(const std::vector<std::string>& arguments);
  ~BoardServerProcess();
  BoardServerProcess(const BoardServerProcess&) = delete;
  BoardServerProcess& operator=(const BoardServerProcess&) = delete;

  // "https://127.0.0.1:<port>" or "http://...".
  const std::string& BaseUrl() const { return baseUrl_; }
  // Sends SIGTERM and waits; the program's exit status as waitpid gives it, or -1.
  int Stop();

 private:
  pid_t pid_ = -1;
  // Kept open while the program runs, so that its later output never meets a closed pipe.
  std::FILE* output_ = nullptr;
  std::string baseUrl_;
};

}  // namespace monitor_test
