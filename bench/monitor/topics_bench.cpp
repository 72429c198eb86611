// ExtractTopics against the physical limit: one memmem pass over the same bytes for the piece
// marker. The fixture page and a generated page of 10,000+ topics show whether the time per
// byte stays flat as the page grows.
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "monitor/forum_settings.h"
#include "monitor/topics.h"

namespace {

const std::string kMarker = "\"normalthread_";

std::string ReadFixture() {
  std::ifstream in(BW_FIXTURES_DIR "/board-121.html", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string& FixturePage() {
  static const std::string page = ReadFixture();
  return page;
}

// The fixture's head, its topic blocks repeated until the page holds at least 10,000 topics
// and 10 MB, then its last topic with the footer.
const std::string& LargePage() {
  static const std::string page = [] {
    const std::string& fixture = FixturePage();
    std::vector<std::size_t> starts;
    for (std::size_t at = fixture.find(kMarker); at != std::string::npos;
         at = fixture.find(kMarker, at + 1)) {
      starts.push_back(at);
    }
    std::string large = fixture.substr(0, starts.front());
    std::size_t topics = 0;
    while (topics < 10'000 || large.size() < 10'000'000) {
      for (std::size_t i = 0; i + 1 < starts.size(); ++i, ++topics) {
        large.append(fixture, starts[i], starts[i + 1] - starts[i]);
      }
    }
    large.append(fixture, starts.back());
    return large;
  }();
  return page;
}

void ExtractTopicsOn(benchmark::State& state, const std::string& page) {
  const text::Text base = monitor::kForumBaseUrl;
  std::size_t topics = 0;
  for (auto _ : state) {
    const std::vector<monitor::TopicEntry> entries = monitor::ExtractTopics(page, base);
    topics = entries.size();
    benchmark::DoNotOptimize(entries.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
  state.counters["topics"] = static_cast<double>(topics);
  state.counters["bytes"] = static_cast<double>(page.size());
}

void MemmemMarkerOn(benchmark::State& state, const std::string& page) {
  std::size_t markers = 0;
  for (auto _ : state) {
    markers = 0;
    const char* at = page.data();
    const char* const end = page.data() + page.size();
    while (const void* hit =
               memmem(at, static_cast<std::size_t>(end - at), kMarker.data(), kMarker.size())) {
      ++markers;
      at = static_cast<const char*>(hit) + 1;
    }
    benchmark::DoNotOptimize(markers);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
  state.counters["topics"] = static_cast<double>(markers);
  state.counters["bytes"] = static_cast<double>(page.size());
}

void BM_ExtractTopicsFixture(benchmark::State& state) { ExtractTopicsOn(state, FixturePage()); }
void BM_MemmemMarkerFixture(benchmark::State& state) { MemmemMarkerOn(state, FixturePage()); }
void BM_ExtractTopicsLarge(benchmark::State& state) { ExtractTopicsOn(state, LargePage()); }
void BM_MemmemMarkerLarge(benchmark::State& state) { MemmemMarkerOn(state, LargePage()); }

BENCHMARK(BM_ExtractTopicsFixture);
BENCHMARK(BM_MemmemMarkerFixture);
BENCHMARK(BM_ExtractTopicsLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemmemMarkerLarge)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
