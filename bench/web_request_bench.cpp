// WebRequest against a bare libcurl easy handle doing the same GET into memory, on the
// fixture page and a 10 MB page from a local server; and the peak memory of a 100 MB body.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "support/http_test_server.h"
#include "web/web_request.h"

namespace {

constexpr std::size_t kTenMegabytes = 10u << 20;
constexpr std::size_t kHundredMegabytes = 100u << 20;

std::string FixturePage() {
  std::ifstream file(BW_FIXTURES_DIR "/board-121.html", std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

support::HttpTestServer& Server() {
  static support::HttpTestServer* const server = [] {
    auto* s = new support::HttpTestServer();
    s->Routes().Get("/fixture",
                    [page = FixturePage()](const httplib::Request&, httplib::Response& res) {
                      res.set_content(page, "text/html");
                    });
    s->Routes().Get("/10mb", [page = std::string(kTenMegabytes, 'x')](const httplib::Request&,
                                                                      httplib::Response& res) {
      res.set_content(page, "application/octet-stream");
    });
    // Made piece by piece, so that the server holds no copy of the body.
    s->Routes().Get("/100mb", [](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(
          kHundredMegabytes, "application/octet-stream",
          [piece = std::string(64 << 10, 'y')](std::size_t offset, std::size_t length,
                                               httplib::DataSink& sink) {
            const std::size_t n = std::min(length, kHundredMegabytes - offset);
            sink.write(piece.data(), std::min(n, piece.size()));
            return true;
          });
    });
    s->Start();
    return s;
  }();
  return *server;
}

const char* PathOf(std::int64_t page) { return page == 0 ? "/fixture" : "/10mb"; }

std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// The reference: one easy handle per GET, the body appended to memory.
std::size_t BareCurlGet(const std::string& url) {
  std::string body;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Bench/1.0");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  benchmark::DoNotOptimize(body.data());
  return body.size();
}

// Each iteration fetches the page once with WebRequest and once with bare libcurl, taking
// turns at going first, so both meet the same machine load and the same allocator history
// (which decides how many fresh pages a large body costs); the counters give the mean time
// of each and their ratio.
void BM_WebRequestVsBareCurl(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  web::WebRequestInput input;
  input.url = Server().Url(PathOf(state.range(0)));
  input.cookies = "";
  input.headers = "User-Agent: Bench/1.0";
  Clock::duration webTime{};
  Clock::duration bareTime{};
  const auto timeWeb = [&] {
    const auto start = Clock::now();
    const web::WebResponse response = web::WebRequest(input);
    benchmark::DoNotOptimize(response.body.data());
    webTime += Clock::now() - start;
    return response.body.size();
  };
  const auto timeBare = [&] {
    const auto start = Clock::now();
    const std::size_t size = BareCurlGet(input.url);
    bareTime += Clock::now() - start;
    return size;
  };
  bool webFirst = true;
  for (auto _ : state) {
    const std::size_t first = webFirst ? timeWeb() : timeBare();
    const std::size_t second = webFirst ? timeBare() : timeWeb();
    if (first != second || first == 0) state.SkipWithError("bodies differ");
    webFirst = !webFirst;
  }
  const auto micros = [&](Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count() /
           static_cast<double>(state.iterations());
  };
  state.counters["web_us"] = micros(webTime);
  state.counters["bare_us"] = micros(bareTime);
  state.counters["web_over_bare"] = micros(webTime) / micros(bareTime);
}

std::size_t StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stoul(line.substr(field.size() + 1));
  }
  return 0;
}

// Peak resident memory while one request fetches a 100 MB body, over the body size.
void BM_WebRequestPeakMemory100MB(benchmark::State& state) {
  web::WebRequestInput input;
  input.url = Server().Url("/100mb");
  input.cookies = "";
  double ratio = 0;
  for (auto _ : state) {
    // "5" resets the peak to what is resident now.
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::size_t before = StatusKilobytes("VmRSS");
    const web::WebResponse response = web::WebRequest(input);
    const std::size_t peak = StatusKilobytes("VmHWM");
    if (response.body.size() != kHundredMegabytes) state.SkipWithError("body incomplete");
    ratio = static_cast<double>(peak - before) * 1024 / static_cast<double>(kHundredMegabytes);
  }
  state.counters["peak_over_body"] = ratio;
}

BENCHMARK(BM_WebRequestVsBareCurl)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("10mb")
    ->MinTime(3)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WebRequestPeakMemory100MB)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
