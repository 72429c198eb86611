// Feeds arbitrary texts to the URL, header, cookie, encoding and field-list operations and
// checks the rules they promise, partly against straightforward reference versions. The input
// is cut at zero bytes into texts (a Text never holds one).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "text/text.h"
#include "text/text_helpers.h"
#include "web/cookies.h"
#include "web/encodings.h"
#include "web/field_list.h"
#include "web/headers.h"
#include "web/url.h"

namespace {

using text::Text;
using text::TextArray;

void Require(bool condition, const char* rule, const Text& input) {
  if (condition) return;
  std::fprintf(stderr, "rule broken: %s\ninput (%zu bytes): ", rule, input.size());
  for (const char c : input) std::fprintf(stderr, "%02X ", static_cast<unsigned char>(c));
  std::fprintf(stderr, "\n");
  std::abort();
}

bool StartsWith(const Text& t, const Text& prefix) {
  return t.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const Text& t, const Text& suffix) {
  return t.size() >= suffix.size() &&
         t.compare(t.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool EndsWithLineBreak(const Text& t) {
  return !t.empty() && (t.back() == '\r' || t.back() == '\n');
}

void CheckUrl(const Text& url) {
  const Text path = web::UrlPath(url);
  Require(StartsWith(path, "/"), "the path begins with /", url);
  Require(path == "/" || EndsWith(url, path), "the path is the end of the address", url);

  const Text host = web::UrlHost(url);
  const Text hostWithPort = web::UrlHost(url, false, true);
  Require(text::ToLowerAscii(hostWithPort) == hostWithPort, "the host is lower case", url);
  Require(text::FindText(host, ":") == -1, "without keepPort the host holds no colon", url);
  Require(StartsWith(hostWithPort, host), "the port only follows the host", url);
  Require(text::FindText(hostWithPort, "/") == -1, "the host holds no slash", url);
  // SplitText drops the empty label after a final dot, so only then may stripping lose the end.
  if (!EndsWith(hostWithPort, ".")) {
    Require(EndsWith(hostWithPort, web::UrlHost(url, true, true)), "stripping keeps the end", url);
  }

  const int port = web::UrlPort(url);
  if (text::FindTextReverse(hostWithPort, ":") == -1) {
    Require(port == 80 || port == 443, "without a port the default one", url);
  }

  for (int n = 0; n < 4; ++n) {
    // Without stripping, count n keeps the labels that stripping keeps with count n + 1.
    const Text kept = web::UrlHost(url, false, true, n);
    Require(kept == web::UrlHost(url, true, true, n + 1), "label counting steps by one", url);
    Require(EndsWith(kept, web::UrlHost(url, true, true, n)), "label counting keeps the end", url);
    Require(text::ToLowerAscii(kept) == kept, "the counted host is lower case", url);
  }
}

// Upper-cases a to z at the start of the name and after each dash in it, walking the name by
// the character rule; the rest of the line stays.
Text ReferenceNormalize(const Text& headers) {
  Text result;
  for (const Text& line : text::SplitText(headers, Text("\r\n"))) {
    const int colon = text::FindText(line, ":");
    if (colon == -1) continue;
    Text out = line;
    const std::size_t nameEnd = static_cast<std::size_t>(colon - 1);
    bool wordStart = true;
    for (std::size_t i = 0; i < nameEnd;) {
      const auto b = static_cast<unsigned char>(out[i]);
      if (b >= 0x80) {
        wordStart = false;
        i += 2;
        continue;
      }
      if (wordStart && b >= 'a' && b <= 'z') out[i] = static_cast<char>(b - 'a' + 'A');
      wordStart = b == '-';
      ++i;
    }
    result += out + "\r\n";
  }
  return result.empty() ? result : result.substr(0, result.size() - 2);
}

void CheckHeaders(const Text& headers) {
  Require(web::NormalizeHeaderNames(headers) == ReferenceNormalize(headers),
          "header names follow the reference", headers);
  const Text value = web::ValueAfterColon(headers);
  Require(!StartsWith(value, " ") && !StartsWith(value, "\xA1\xA1"),
          "the value after the colon has no leading blank", headers);
}

int CountSemicolons(const Text& t) {
  int count = 0;
  for (int p = text::FindText(t, ";"); p != -1; p = text::FindText(t, ";", p + 1)) ++count;
  return count;
}

// The merge exactly as its steps read, with HasCookie over the growing list.
Text ReferenceMerge(Text sent, Text received) {
  for (Text* t : {&sent, &received}) {
    *t = text::TrimSpaces(*t);
    if (EndsWith(*t, ";")) *t += ' ';
  }
  TextArray merged = text::SplitText(received, Text("; "));
  for (const Text& item : text::SplitText(sent, Text("; "))) {
    if (!web::HasCookie(merged, web::CookieName(item))) merged.push_back(item);
  }
  Text result;
  for (const Text& item : merged) {
    if (text::TextRight(item, 8) != "=deleted") result += item + "; ";
  }
  return text::RemoveDuplicates(text::TextLeft(result, text::TextLength(result) - 2), Text("; "));
}

void CheckCookies(const Text& raw, const Text& other) {
  int setCookieLines = 0;
  for (const Text& line : text::SplitText(raw, Text("\r\n"))) {
    if (StartsWith(line, "Set-Cookie: ")) ++setCookieLines;
  }
  const Text collected = web::CollectSetCookies(raw);
  if (setCookieLines == 0) {
    Require(collected.empty(), "no Set-Cookie line, no cookie", raw);
  } else {
    Require(CountSemicolons(collected) == setCookieLines - 1, "one item per Set-Cookie line", raw);
  }

  for (const auto& [sentIn, receivedIn] :
       {std::pair{raw, other}, std::pair{collected, other}, std::pair{other, collected}}) {
    Text sent = sentIn;
    Text received = receivedIn;
    const Text merged = web::MergeCookies(sent, received);
    const Text both = sentIn + '\n' + receivedIn;
    Require(sent == merged, "the merge is stored in the sent text", both);
    Require(merged == ReferenceMerge(sentIn, receivedIn), "the merge follows its steps", both);
    std::unordered_set<Text> seen;
    for (const Text& item : text::SplitText(merged, Text("; "))) {
      Require(!EndsWith(item, "=deleted"), "no item ends in =deleted", both);
      Require(seen.insert(item).second, "no item is repeated", both);
    }
  }
}

bool IsValidUtf8(const Text& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (length == 0 || b > 0xF4 || i + length > s.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes "%" and two upper-case hex digits; a "%" without them stays as it is.
Text PercentDecode(const Text& t) {
  Text out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '%' && i + 2 < t.size() && HexValue(t[i + 1]) >= 0 && HexValue(t[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(t[i + 1]) * 16 + HexValue(t[i + 2]));
      i += 2;
    } else {
      out += t[i];
    }
  }
  return out;
}

void CheckEncodings(const Text& t) {
  const Text utf8 = web::GbkToUtf8(t);
  Require(utf8.find('\0') == Text::npos && IsValidUtf8(utf8), "GbkToUtf8 gives UTF-8", t);
  Require(t.empty() == utf8.empty(), "nothing is dropped as a whole", t);
  for (const bool keep : {false, true}) {
    const Text encoded = web::UrlEncode(t, keep, false);
    Require(PercentDecode(encoded) == t, "percent-encoding decodes to the input", t);
    Require(encoded.find_first_not_of(
                "%-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") == Text::npos,
            "percent-encoding writes only unreserved bytes", t);
  }
}

void CheckFieldList(const Text& form, const Text& other) {
  web::FieldList list;
  list.AddPairs(form);
  TextArray names;
  TextArray values;
  list.Names(names);
  list.Values(values);
  const TextArray pieces = text::SplitText(form, Text("&"));
  Require(names.size() == pieces.size() && values.size() == pieces.size(), "one pair a piece",
          form);

  Text joined;
  bool onePairEach = true;
  for (const Text& piece : pieces) {
    const int equals = text::FindText(piece, "=");
    onePairEach = onePairEach && equals != -1 && equals == text::FindTextReverse(piece, "=");
    joined += piece + "&";
  }
  if (onePairEach) {
    Require(list.BuildForm() == text::TextLeft(joined, text::TextLength(joined) - 1),
            "a form of plain pairs is rebuilt as it was", form);
  }

  const Text headers = list.BuildHeaders();
  if (values.empty()) {
    Require(headers.empty() && list.BuildForm().empty(), "an empty list builds nothing", form);
  } else {
    Require(EndsWithLineBreak(values.back()) || !EndsWithLineBreak(headers),
            "the header text ends without a line break of its own", form);
    Require(!EndsWithLineBreak(list.BuildHeaders(true)),
            "encoded header text never ends with a line break", form);
  }
  const Text json = list.BuildJson();
  Require(StartsWith(json, "{") && EndsWith(json, "}") && json.size() >= 2, "JSON is braced", form);

  const std::unique_ptr<web::FieldList> clone = list.Clone();
  if (!names.empty()) {
    Require(list.GetValue(names.front()) == values.front(), "GetValue finds the first pair", form);
    list.SetValue(names.front(), other);
    Require(list.GetValue(names.front()) == other, "SetValue replaces the first pair", form);
    list.Remove(names.front());
    TextArray after;
    list.Names(after);
    Require(after.size() + 1 == names.size(), "Remove takes one pair", form);
  }
  Require(clone->BuildJson() == json, "a clone keeps its own pairs", form);

  Text stripped = form;
  const Text result = list.StripAffix(stripped, other);
  Text expected = form;
  if (EndsWith(expected, other)) expected.resize(expected.size() - other.size());
  if (StartsWith(expected, other)) expected.erase(0, other.size());
  Require(result == expected && stripped == expected, "StripAffix removes one affix each end",
          form + '\n' + other);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<Text> texts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      texts.emplace_back();
    } else {
      texts.back() += static_cast<char>(data[i]);
    }
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Text& other = texts[(i + 1) % texts.size()];
    CheckUrl(texts[i]);
    CheckHeaders(texts[i]);
    CheckCookies(texts[i], other);
    CheckEncodings(texts[i]);
    CheckFieldList(texts[i], other);
  }
  return 0;
}
