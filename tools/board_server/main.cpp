// The forum board on 127.0.0.1 for the demo and for trying the monitor by hand:
//   board_server [--port N] [--topics N] [--add-every SECONDS] [--cert FILE --key FILE]
//                [--page FILE]
// Prints the board page address, then serves until SIGINT or SIGTERM.
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "tools/board_server/board_server.h"

namespace {

std::optional<int> ParseNumber(const char* text) {
  int value = 0;
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  if (error != std::errc() || stop != end || value < 0) {
    return std::nullopt;
  }
  return value;
}

std::optional<board_server::ServerOptions> ParseArguments(int argc, char** argv) {
  board_server::ServerOptions options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    std::optional<int> number = ParseNumber(value);
    if (name == "--cert") {
      options.certFile = value;
    } else if (name == "--key") {
      options.keyFile = value;
    } else if (name == "--page") {
      std::ifstream in(value, std::ios::binary);
      options.fixedPage.assign(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
      if (!in || options.fixedPage.empty()) {
        return std::nullopt;
      }
    } else if (name == "--port" && number && *number <= 65535) {
      options.port = *number;
    } else if (name == "--topics" && number) {
      options.topicCount = *number;
    } else if (name == "--add-every" && number) {
      options.addEverySeconds = *number;
    } else {
      return std::nullopt;
    }
  }
  if (argc % 2 == 0 || options.certFile.empty() != options.keyFile.empty()) {
    return std::nullopt;
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<board_server::ServerOptions> options = ParseArguments(argc, argv);
  if (!options) {
    std::fprintf(stderr,
                 "usage: %s [--port N] [--topics N] [--add-every SECONDS] "
                 "[--cert FILE --key FILE] [--page FILE]\n",
                 argv[0]);
    return 2;
  }
  // Blocked before any thread starts, so every thread inherits the mask and only sigwait
  // below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  board_server::BoardServer server(*options);
  if (!server.Start()) {
    std::fprintf(stderr, "board_server: cannot serve on 127.0.0.1:%d with the given certificate\n",
                 options->port);
    return 1;
  }
  std::printf("board_server: serving %s/forum-121-1.html\n", server.BaseUrl().c_str());
  std::printf(
      "board_server: control %s/control?add=N&topics=N&fail=none|500|empty|drop|stall|"
      "nomarkers\n",
      server.BaseUrl().c_str());
  std::fflush(stdout);
  int received = 0;
  sigwait(&stopSignals, &received);
  server.Stop();
  return 0;
}
