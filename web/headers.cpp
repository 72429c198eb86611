#include "web/headers.h"

namespace web {

using text::Text;

namespace {

Text CapitalizeWords(const Text& name) {
  if (text::FindText(name, "-") == -1) return CapitalizeFirst(name);
  Text rebuilt;
  for (const Text& word : text::SplitText(name, Text("-"))) {
    rebuilt += CapitalizeFirst(word);
    rebuilt += '-';
  }
  return text::TextLeft(rebuilt, text::TextLength(rebuilt) - 1);
}

}  // namespace

Text NormalizeHeaderNames(const Text& headers) {
  Text result;
  for (const Text& line : text::SplitText(headers, Text("\r\n"))) {
    const int colon = text::FindText(line, ":");
    if (colon == -1) continue;
    const Text name = CapitalizeWords(text::TextMid(line, 1, colon - 1));
    // A name ending in "-" loses that dash when rebuilt; taking the rest by length puts it
    // back, so no byte of the line is lost.
    const Text rest = text::TextRight(line, text::TextLength(line) - text::TextLength(name));
    result += name;
    result += rest;
    result += "\r\n";
  }
  return text::TextLeft(result, text::TextLength(result) - 2);
}

Text CapitalizeFirst(const Text& t) {
  return text::ConcatText(text::ToUpperAscii(text::TextLeft(t, 1)),
                          text::TextMid(t, 2, text::TextLength(t) - 1));
}

Text ValueAfterColon(const Text& line) {
  const int colon = text::FindText(line, ":");
  if (colon == -1) return {};
  return text::TrimSpaces(text::TextRight(line, text::TextLength(line) - colon));
}

}  // namespace web
