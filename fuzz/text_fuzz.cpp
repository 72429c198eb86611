// Checks the fast searching operations against their step-by-step reference versions.
//
// Input: a flag byte, two small signed numbers, then texts separated by zero bytes (a Text
// never holds one): t, the searched text, the replacement.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"
#include "text_reference.h"

namespace {

std::string_view NextPart(std::string_view& rest) {
  const std::size_t zero = rest.find('\0');
  const std::string_view part = rest.substr(0, zero);
  rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
  return part;
}

template <typename T>
void Expect(const T& fast, const T& reference, const char* operation) {
  if (fast == reference) return;
  std::fprintf(stderr, "%s differs from its reference\n", operation);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t flags = data[0];
  // Small numbers around the interesting edges: below 1, inside and beyond short texts.
  const int first = static_cast<std::int8_t>(data[1]) % 20;
  const int second = static_cast<std::int8_t>(data[2]) % 8;
  std::string_view rest(reinterpret_cast<const char*>(data) + 3, size - 3);
  const text::Text t(NextPart(rest));
  const text::Text sub(NextPart(rest));
  const text::Text replacement(NextPart(rest));

  const std::optional<int> start = (flags & 1) != 0 ? std::optional<int>(first) : std::nullopt;
  const std::optional<int> count = (flags & 2) != 0 ? std::optional<int>(second) : std::nullopt;
  const bool ignoreCase = (flags & 4) != 0;
  const std::optional<text::Text> separator =
      (flags & 8) != 0 ? std::optional<text::Text>(sub) : std::nullopt;

  Expect(text::FindText(t, sub, start, ignoreCase),
         text::reference::FindText(t, sub, start, ignoreCase), "FindText");
  Expect(text::FindTextReverse(t, sub, start, ignoreCase),
         text::reference::FindTextReverse(t, sub, start, ignoreCase), "FindTextReverse");
  Expect(text::ReplaceText(t, sub, replacement, start, count, !ignoreCase),
         text::reference::ReplaceText(t, sub, replacement, start, count, !ignoreCase),
         "ReplaceText");
  Expect(text::SplitText(t, separator, count), text::reference::SplitText(t, separator, count),
         "SplitText");
  Expect(text::TrimSpaces(t), text::reference::TrimSpaces(t), "TrimSpaces");
  return 0;
}
