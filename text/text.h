// Byte texts in GBK with 1-based positions, byte buffers, files and the program's directory.
//
// Character rule: reading forward from the first byte an operation scans, a byte 0x80 or
// above starts a two-byte character, any other byte is a one-byte character. Searches,
// replacements, splits, trimming and case mapping only ever start a match on a character
// start. The cutting operations (TextLeft, TextMid, ...) count bytes and may split one.
// Positions are 1-based; -1 means "not found". Nothing here throws.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// GBK bytes holding no zero byte.
using Text = std::string;
// A counted buffer that may hold zero bytes.
using Bytes = std::vector<std::uint8_t>;
using TextArray = std::vector<Text>;

int TextLength(const Text& t);
Text TextLeft(const Text& t, int n);
Text TextRight(const Text& t, int n);
// Unlike BytesMid, a start below 1 gives the empty text.
Text TextMid(const Text& t, int s, int n);
Text BlankText(int n);
Text CharFromCode(std::uint8_t c);
// The byte as a signed value: bytes 0x80 and above come out negative.
int CharCode(const Text& t, std::optional<int> pos = {});
Text ConcatText(std::initializer_list<std::string_view> parts);
template <typename... Parts>
Text ConcatText(const Parts&... parts) {
  return ConcatText({std::string_view(parts)...});
}
// -1, 0 or 1 from the first differing byte, compared unsigned.
int CompareText(const Text& a, const Text& b);
int MemberCount(const TextArray& a);

// First occurrence at or after `start`. An empty `sub` gives 1 (not `start`) when the
// searched region is not empty.
int FindText(const Text& t, const Text& sub, std::optional<int> start = {},
             bool ignoreCase = false);
// Last occurrence lying wholly before position `start` (the whole text when not given).
int FindTextReverse(const Text& t, const Text& sub, std::optional<int> start = {},
                    bool ignoreCase = false);
// A negative or absent `count` replaces every occurrence. When the scan reaches a cut-off
// character at the very end with a one-byte `find`, that byte is dropped.
Text ReplaceText(const Text& t, const Text& find, const Text& replacement, std::optional<int> start,
                 std::optional<int> count, bool caseSensitive);
// The separator defaults to ","; an empty remainder after a final separator is no member.
TextArray SplitText(const Text& t, std::optional<Text> separator = {},
                    std::optional<int> maxCount = {});

// Removes leading and trailing 0x20 and full-width blanks, and a cut-off character at the end.
Text TrimSpaces(const Text& t);
Text ToUpperAscii(const Text& t);
Text ToLowerAscii(const Text& t);
// Reads full-width digits and signs like ASCII ones; wraps around on 32-bit overflow.
int TextToInt(const Text& t);
Text IntToText(int n);
Text ByteToHex(int n);

int BytesLength(const Bytes& b);
Bytes TextToBytes(const Text& t);
// The bytes before the first zero byte.
Text BytesToText(const Bytes& b);
Bytes BlankBytes(int n);
Bytes BytesLeft(const Bytes& b, int n);
// Unlike TextMid, a start below 1 counts as 1.
Bytes BytesMid(const Bytes& b, int s, int n);
Bytes ConcatBytes(std::initializer_list<std::span<const std::uint8_t>> parts);
template <typename... Parts>
Bytes ConcatBytes(const Parts&... parts) {
  return ConcatBytes({std::span<const std::uint8_t>(parts)...});
}
bool BytesEqual(const Bytes& a, const Bytes& b);

// Paths are GBK texts in which "\" also separates directories; a relative path resolves
// against the current directory. Every failure gives the empty buffer.
Bytes ReadFileBytes(const Text& path);
// Replaces the file as a whole: the buffers go to a new file beside it, which is flushed to
// disk and renamed over the target, so a failure (false) leaves any old file untouched.
bool WriteFileBytes(const Text& path, std::initializer_list<std::span<const std::uint8_t>> parts);
template <typename... More>
bool WriteFileBytes(const Text& path, const Bytes& first, const More&... more) {
  return WriteFileBytes(
      path, {std::span<const std::uint8_t>(first), std::span<const std::uint8_t>(more)...});
}
// The directory holding the program file, in GBK, without a trailing separator.
Text RunDirectory();

}  // namespace text
