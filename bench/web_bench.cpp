// GbkToUtf8 and UrlEncode on 1 MB of GBK text, measured against the physical limit: one iconv
// call converting the same bytes straight from GBK to UTF-8.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstddef>
#include <random>
#include <string>

#include "web/encodings.h"

namespace {

// About three two-byte hanzi (from the rows of GB2312 that are full) to one ASCII byte, like
// the text of a Chinese web page.
const std::string& MixedGbkText() {
  static const std::string text = [] {
    std::mt19937 random(936);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> ascii(0x20, 0x7E);
    std::uniform_int_distribution<int> lead(0xB0, 0xD6);
    std::uniform_int_distribution<int> trail(0xA1, 0xFE);
    std::string t;
    while (t.size() < (std::size_t{1} << 20)) {
      if (kind(random) == 0) {
        t += static_cast<char>(ascii(random));
      } else {
        t += static_cast<char>(lead(random));
        t += static_cast<char>(trail(random));
      }
    }
    return t;
  }();
  return text;
}

void BM_IconvSingleCall(benchmark::State& state) {
  const std::string& gbk = MixedGbkText();
  std::string out(gbk.size() * 2, '\0');
  for (auto _ : state) {
    iconv_t cd = iconv_open("UTF-8", "CP936");
    char* in = const_cast<char*>(gbk.data());
    std::size_t inLeft = gbk.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (inLeft != 0) state.SkipWithError("iconv stopped early");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<long>(state.iterations() * gbk.size()));
}
BENCHMARK(BM_IconvSingleCall)->Unit(benchmark::kMillisecond);

void BM_GbkToUtf8(benchmark::State& state) {
  const std::string& gbk = MixedGbkText();
  for (auto _ : state) benchmark::DoNotOptimize(web::GbkToUtf8(gbk));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * gbk.size()));
}
BENCHMARK(BM_GbkToUtf8)->Unit(benchmark::kMillisecond);

// As the field list encodes values: unreserved bytes kept, GBK bytes as they are.
void BM_UrlEncode(benchmark::State& state) {
  const std::string& gbk = MixedGbkText();
  for (auto _ : state) benchmark::DoNotOptimize(web::UrlEncode(gbk, true, false));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * gbk.size()));
}
BENCHMARK(BM_UrlEncode)->Unit(benchmark::kMillisecond);

void BM_UrlEncodeUtf8First(benchmark::State& state) {
  const std::string& gbk = MixedGbkText();
  for (auto _ : state) benchmark::DoNotOptimize(web::UrlEncode(gbk, true, true));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * gbk.size()));
}
BENCHMARK(BM_UrlEncodeUtf8First)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
