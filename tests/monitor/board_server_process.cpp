#include "tests/monitor/board_server_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

namespace monitor_test {

BoardServerProcess::BoardServerProcess(const std::vector<std::string>& arguments) {
  int out[2];
  if (pipe(out) != 0) {
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> args = {BW_BOARD_SERVER_PROGRAM};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& arg : args) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    pid_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);

  output_ = fdopen(out[0], "r");
  char line[256] = {};
  const std::string prefix = "board_server: serving ";
  const std::string page = "/forum-121-1.html";
  if (pid_ > 0 && std::fgets(line, sizeof line, output_) != nullptr) {
    const std::string printed = line;
    const std::size_t end = printed.find(page);
    if (printed.rfind(prefix, 0) == 0 && end != std::string::npos) {
      baseUrl_ = printed.substr(prefix.size(), end - prefix.size());
    }
  }
}

BoardServerProcess::~BoardServerProcess() { Stop(); }

int BoardServerProcess::Stop() {
  int status = -1;
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    if (waitpid(pid_, &status, 0) != pid_) {
      status = -1;
    }
    pid_ = -1;
  }
  if (output_ != nullptr) {
    std::fclose(output_);
    output_ = nullptr;
  }
  return status;
}

}  // namespace monitor_test
