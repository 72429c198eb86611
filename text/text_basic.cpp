#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "text/text.h"

namespace text {

namespace {

int ClampedLength(std::size_t size) {
  return static_cast<int>(std::min<std::size_t>(size, INT32_MAX));
}

}  // namespace

int TextLength(const Text& t) { return ClampedLength(t.size()); }

Text TextLeft(const Text& t, int n) {
  if (n <= 0) return {};
  return t.substr(0, static_cast<std::size_t>(n));
}

Text TextRight(const Text& t, int n) {
  if (n <= 0) return {};
  const std::size_t keep = std::min(t.size(), static_cast<std::size_t>(n));
  return t.substr(t.size() - keep);
}

Text TextMid(const Text& t, int s, int n) {
  if (s < 1 || n <= 0 || static_cast<std::size_t>(s) > t.size()) return {};
  return t.substr(static_cast<std::size_t>(s) - 1, static_cast<std::size_t>(n));
}

Text BlankText(int n) {
  if (n < 1) return {};
  return Text(static_cast<std::size_t>(n), ' ');
}

Text CharFromCode(std::uint8_t c) {
  if (c == 0) return {};
  return Text(1, static_cast<char>(c));
}

int CharCode(const Text& t, std::optional<int> pos) {
  const int p = pos.value_or(1);
  if (p < 1 || static_cast<std::size_t>(p) > t.size()) return 0;
  return static_cast<int>(static_cast<std::int8_t>(t[static_cast<std::size_t>(p) - 1]));
}

Text ConcatText(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (const std::string_view part : parts) total += part.size();
  Text joined;
  joined.reserve(total);
  for (const std::string_view part : parts) joined.append(part);
  return joined;
}

int CompareText(const Text& a, const Text& b) {
  // std::string compares through char_traits<char>, which orders bytes as unsigned.
  const int order = a.compare(b);
  return (order > 0) - (order < 0);
}

int MemberCount(const TextArray& a) { return ClampedLength(a.size()); }

Text ToUpperAscii(const Text& t) {
  Text out = t;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto byte = static_cast<unsigned char>(out[i]);
    if (byte >= 0x80) {
      ++i;  // the second byte of a two-byte character keeps its case
    } else if (byte >= 'a' && byte <= 'z') {
      out[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return out;
}

Text ToLowerAscii(const Text& t) {
  Text out = t;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto byte = static_cast<unsigned char>(out[i]);
    if (byte >= 0x80) {
      ++i;
    } else if (byte >= 'A' && byte <= 'Z') {
      out[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return out;
}

int TextToInt(const Text& t) {
  // Full-width forms are read as the ASCII characters they stand for.
  Text ascii;
  ascii.reserve(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    const auto byte = static_cast<unsigned char>(t[i]);
    if (byte < 0x80 || i + 1 == t.size()) {
      ascii.push_back(t[i]);
      continue;
    }
    const auto second = static_cast<unsigned char>(t[i + 1]);
    if (byte == 0xA3 && second >= 0xA1 && second <= 0xFE) {
      ascii.push_back(static_cast<char>(second - 0x80));
    } else if (byte == 0xA1 && second == 0xA1) {
      ascii.push_back(' ');
    } else {
      ascii.append(t, i, 2);
    }
    ++i;
  }

  std::size_t i = 0;
  while (i < ascii.size() && (ascii[i] == ' ' || (ascii[i] >= '\t' && ascii[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) {
    negative = ascii[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  for (; i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9'; ++i) {
    value = value * 10U + static_cast<std::uint32_t>(ascii[i] - '0');
  }
  if (negative) value = 0U - value;
  return static_cast<int>(value);
}

Text IntToText(int n) {
  char digits[16];
  const int length = std::snprintf(digits, sizeof digits, "%d", n);
  return Text(digits, static_cast<std::size_t>(length));
}

Text ByteToHex(int n) {
  char digits[16];
  const int length = std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(n));
  return Text(digits, static_cast<std::size_t>(length));
}

}  // namespace text
