#include "web/encodings.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "text/code_page.h"

namespace web {

using text::Bytes;
using text::Text;

namespace {

constexpr const char* kGbkName = "CP936";
constexpr const char* kWideName = "UTF-16LE";

// The iconv name of a code page this system knows, or nullptr.
const char* CodePageName(int codePage) {
  switch (codePage) {
    case kCodePageAnsi:
    case kCodePageGbk:
      return kGbkName;
    case kCodePageUtf8:
      return "UTF-8";
    default:
      return nullptr;
  }
}

bool IsUnreserved(std::uint8_t b) {
  return (b >= 0x2D && b <= 0x39 && b != 0x2F) || (b >= 0x41 && b <= 0x5A) ||
         (b >= 0x61 && b <= 0x7A);
}

// "%" and two upper-case hex digits for every byte, made once from ByteToHex.
const std::array<Text, 256>& PercentForms() {
  static const std::array<Text, 256> forms = [] {
    std::array<Text, 256> table;
    for (int b = 0; b < 256; ++b) {
      Text digits = text::ByteToHex(b);
      if (text::TextLength(digits) == 1) digits = text::ConcatText("0", digits);
      table[static_cast<std::size_t>(b)] = text::ConcatText("%", digits);
    }
    return table;
  }();
  return forms;
}

// The units a text reads as in a code page, and how many units, terminator included, the wide
// text made from it holds.
struct WideReading {
  std::string units;
  std::size_t capacity;
};

WideReading ReadWide(const Text& t, int codePage) {
  // The size comes from a GBK reading, as on the system the wide text was designed for; a code
  // page that yields more units than that gets the room it needs instead of a cut-off text.
  std::string gbk = text::ConvertCodePage(t, kGbkName, kWideName);
  const char* source = CodePageName(codePage);
  if (source == kGbkName) {
    const std::size_t capacity = gbk.size() / 2 + 1;
    return {std::move(gbk), capacity};
  }
  std::string other =
      source == nullptr ? std::string() : text::ConvertCodePage(t, source, kWideName);
  const std::size_t capacity = std::max(gbk.size(), other.size()) / 2 + 1;
  return {std::move(other), capacity};
}

// The units of a wide text before its first zero unit.
std::string_view UnitsBeforeZero(std::string_view wide) {
  std::size_t end = 0;
  while (end + 1 < wide.size() && (wide[end] != 0 || wide[end + 1] != 0)) end += 2;
  return wide.substr(0, end);
}

Text WriteUnits(std::string_view units, int codePage) {
  const char* target = CodePageName(codePage);
  if (target == nullptr) return {};
  Text converted = text::ConvertCodePage(units, kWideName, target);
  converted.resize(std::min(converted.size(), converted.find('\0')));
  return converted;
}

}  // namespace

Bytes AnsiToWide(const Text& t, int codePage) {
  const WideReading reading = ReadWide(t, codePage);
  Bytes wide(reading.capacity * 2, 0);
  std::memcpy(wide.data(), reading.units.data(), reading.units.size());
  return wide;
}

Text WideToAnsi(const Bytes& wide, int codePage) {
  return WriteUnits(
      UnitsBeforeZero(std::string_view(reinterpret_cast<const char*>(wide.data()), wide.size())),
      codePage);
}

// AnsiToWide and then WideToAnsi, without first copying the units into a wide text of their own.
Text GbkToUtf8(const Text& t) {
  const WideReading reading = ReadWide(t, kCodePageGbk);
  return WriteUnits(UnitsBeforeZero(reading.units), kCodePageUtf8);
}

Text UrlEncode(const Text& t, bool keepUnreserved, bool utf8First) {
  if (t.empty()) return {};
  const Bytes bytes = text::TextToBytes(utf8First ? GbkToUtf8(t) : t);
  const std::array<Text, 256>& percent = PercentForms();
  Text result;
  result.reserve(bytes.size() * 3);
  for (const std::uint8_t b : bytes) {
    if (keepUnreserved && IsUnreserved(b)) {
      result += static_cast<char>(b);
    } else {
      result += percent[b];
    }
  }
  return result;
}

}  // namespace web
