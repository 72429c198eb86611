#include <algorithm>
#include <cstdint>

#include "text/text.h"

namespace text {

int BytesLength(const Bytes& b) {
  return static_cast<int>(std::min<std::size_t>(b.size(), INT32_MAX));
}

Bytes TextToBytes(const Text& t) { return Bytes(t.begin(), t.end()); }

Text BytesToText(const Bytes& b) {
  const auto zero = std::find(b.begin(), b.end(), std::uint8_t{0});
  return Text(b.begin(), zero);
}

Bytes BlankBytes(int n) {
  if (n <= 0) return {};
  return Bytes(static_cast<std::size_t>(n), 0);
}

Bytes BytesLeft(const Bytes& b, int n) {
  if (n <= 0) return {};
  const std::size_t keep = std::min(b.size(), static_cast<std::size_t>(n));
  return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(keep));
}

Bytes BytesMid(const Bytes& b, int s, int n) {
  const std::size_t first = s < 1 ? 0 : static_cast<std::size_t>(s) - 1;
  if (n <= 0 || first >= b.size()) return {};
  const std::size_t keep = std::min(b.size() - first, static_cast<std::size_t>(n));
  const auto from = b.begin() + static_cast<std::ptrdiff_t>(first);
  return Bytes(from, from + static_cast<std::ptrdiff_t>(keep));
}

Bytes ConcatBytes(std::initializer_list<std::span<const std::uint8_t>> parts) {
  std::size_t total = 0;
  for (const auto part : parts) total += part.size();
  Bytes joined;
  joined.reserve(total);
  for (const auto part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

bool BytesEqual(const Bytes& a, const Bytes& b) { return a == b; }

}  // namespace text
