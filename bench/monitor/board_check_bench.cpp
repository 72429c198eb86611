// One check of the fixture page whose first topic is already stored, 1,000 times against the
// local board server, next to the bare fetch of the same page in the same run. The difference
// is the check's own CPU time; the RSS counters show whether repeated checks leak.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <benchmark/benchmark.h>

#include "monitor/board_check.h"
#include "text/code_page.h"
#include "tools/board_server/board_server.h"
#include "web/web_request.h"

namespace {

// Counts what a check does and never waits.
class QuietHost : public monitor::BoardCheckHost {
 public:
  void AppendLog(const text::Text& line) override { lastLog = line; }
  int InsertRow() override { return rows++; }
  void SetCell(int, int, const text::Text&) override {}
  void SetTimerPeriod(int) override {}
  text::Text ReadInterval() override { return "120"; }
  void Pause(int) override {}
  bool AskToOpen(const text::Text&, const text::Text&) override { return false; }
  void OpenAddress(const text::Text&) override {}

  text::Text lastLog;
  int rows = 0;
};

// Kilobytes of a /proc/self/status line such as "VmHWM:".
long StatusKilobytes(const std::string& name) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(name, 0) == 0) {
      return std::stol(line.substr(name.size()));
    }
  }
  return -1;
}

struct Board {
  Board() : server(Options()) {
    started = server.Start();
    std::string pattern = (std::filesystem::temp_directory_path() / "bw_bench_XXXXXX").string();
    started = started && mkdtemp(pattern.data()) != nullptr;
    dir = pattern;
    // The fixture's first topic.
    std::ofstream(dir + "/" + "软件id.txt", std::ios::binary) << "503026";
  }
  ~Board() { std::filesystem::remove_all(dir); }

  static board_server::ServerOptions Options() {
    board_server::ServerOptions options;
    std::ifstream in(BW_FIXTURES_DIR "/board-121.html", std::ios::binary);
    options.fixedPage.assign(std::istreambuf_iterator<char>(in), {});
    return options;
  }

  board_server::BoardServer server;
  bool started = false;
  std::string dir;
};

Board& TheBoard() {
  static Board board;
  return board;
}

void BM_FetchOnly(benchmark::State& state) {
  Board& board = TheBoard();
  web::WebRequestInput input;
  input.url = board.server.BaseUrl() + "/forum-121-1.html";
  input.method = 0;
  input.cookies = text::Text();
  input.headers = "User-Agent: Mozilla/5.0";
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = web::WebRequest(input).body.size();
  }
  if (!board.started || bytes == 0) {
    state.SkipWithError("the board server did not answer");
  }
}

void BM_RunBoardCheck(benchmark::State& state) {
  Board& board = TheBoard();
  const monitor::BoardSite site{board.server.BaseUrl(), board.dir};
  QuietHost host;
  // Let the first checks settle the one-time allocations before the baseline is taken.
  for (int i = 0; i < 20; ++i) {
    monitor::RunBoardCheck(121, site, host);
  }
  const long peakBefore = StatusKilobytes("VmHWM:");
  const long residentBefore = StatusKilobytes("VmRSS:");
  for (auto _ : state) {
    monitor::RunBoardCheck(121, site, host);
  }
  state.counters["peak_rss_growth_kB"] =
      static_cast<double>(StatusKilobytes("VmHWM:") - peakBefore);
  state.counters["rss_growth_kB"] = static_cast<double>(StatusKilobytes("VmRSS:") - residentBefore);
  if (!board.started || host.rows != 0 ||
      host.lastLog != text::Utf8ToGbk("现在 已经是最新帖子\r\n")) {
    state.SkipWithError("the check did not find the stored first topic");
  }
}

BENCHMARK(BM_FetchOnly)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunBoardCheck)->Iterations(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
