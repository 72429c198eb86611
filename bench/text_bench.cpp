// FindText on a long GBK text against a single memmem pass over the same bytes, the speed
// limit for a search that must also respect character boundaries.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "text/code_page.h"
#include "text/text.h"

namespace {

// About 10 MB of page-like text: ASCII markup mixed with Chinese, the needle only at the end.
const text::Text& Haystack() {
  static const text::Text haystack = [] {
    const text::Text line = text::Utf8ToGbk(
        "<td class=\"subject\"><a href=\"thread-12345-1-1.html\">新软件发布 "
        "工具更新说明与下载地址</a></td>\r\n");
    text::Text all;
    while (all.size() < 10'000'000) all += line;
    return all + text::Utf8ToGbk("<span id=\"结束标记\">");
  }();
  return haystack;
}

const text::Text& Needle() {
  static const text::Text needle = text::Utf8ToGbk("id=\"结束标记\"");
  return needle;
}

void BM_FindText(benchmark::State& state) {
  const text::Text& haystack = Haystack();
  for (auto _ : state) benchmark::DoNotOptimize(text::FindText(haystack, Needle()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * haystack.size()));
}
BENCHMARK(BM_FindText);

void BM_FindTextIgnoreCase(benchmark::State& state) {
  const text::Text& haystack = Haystack();
  for (auto _ : state) benchmark::DoNotOptimize(text::FindText(haystack, Needle(), {}, true));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * haystack.size()));
}
BENCHMARK(BM_FindTextIgnoreCase);

void BM_FindTextReverseFromEnd(benchmark::State& state) {
  const text::Text& haystack = Haystack();
  const text::Text start = text::Utf8ToGbk("<td class=\"nothing-like-this\">");
  for (auto _ : state) benchmark::DoNotOptimize(text::FindTextReverse(haystack, start));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * haystack.size()));
}
BENCHMARK(BM_FindTextReverseFromEnd);

void BM_Memmem(benchmark::State& state) {
  const text::Text& haystack = Haystack();
  const text::Text& needle = Needle();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ::memmem(haystack.data(), haystack.size(), needle.data(), needle.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * haystack.size()));
}
BENCHMARK(BM_Memmem);

void BM_SplitTextLines(benchmark::State& state) {
  const text::Text& haystack = Haystack();
  for (auto _ : state) benchmark::DoNotOptimize(text::SplitText(haystack, "\r\n"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * haystack.size()));
}
BENCHMARK(BM_SplitTextLines);

}  // namespace

BENCHMARK_MAIN();
