#include "web/url.h"

#include "text/text_helpers.h"

namespace web {

using text::Text;

namespace {

// Common end of both paths: the port goes unless it was asked for.
Text CutPort(const Text& host, bool keepPort) {
  if (keepPort) return host;
  const int colon = text::FindText(host, ":");
  return colon == -1 ? host : text::TextLeft(host, colon - 1);
}

Text StandardHost(const Text& url, bool stripSubdomains) {
  Text t = text::ToLowerAscii(url);
  if (text::TextRight(t, 1) != "/") t = text::ConcatText(t, "/");
  if (text::TextLeft(t, 8) == "https://") {
    t = text::TextBetween(t, "https://", "/");
  } else {
    // The first "http://" anywhere counts, even one inside the query of a scheme-less address.
    if (text::FindText(t, "http://") == -1) t = text::ConcatText("http://", t);
    t = text::TextBetween(t, "http://", "/");
  }
  if (stripSubdomains) {
    const text::TextArray labels = text::SplitText(t, Text("."));
    const int count = text::MemberCount(labels);
    if (count >= 2) t = text::ConcatText(labels[count - 2], ".", labels[count - 1]);
  }
  return t;
}

Text LabelCountingHost(const Text& url, bool stripSubdomains, int labelCount) {
  Text t = text::ToLowerAscii(url);
  t = text::ReplaceText(t, "http://", "", 1, std::nullopt, true);
  t = text::ReplaceText(t, "https://", "", 1, std::nullopt, true);
  const int slash = text::FindText(t, "/");
  if (slash != -1) t = text::TextLeft(t, slash - 1);

  const int length = text::TextLength(t);
  int m = length;
  // Once no dot is left every further search finds nothing, so the loop may stop early.
  for (int i = 0; i < labelCount && m != -1; ++i) m = text::FindTextReverse(t, ".", m);
  const int o = text::FindTextReverse(t, ".", m);
  if (stripSubdomains) {
    t = text::TextRight(t, length - o);
  } else if (o != -1) {
    const int o2 = text::FindTextReverse(t, ".", o);
    if (o2 != -1) t = text::TextRight(t, length - o2);
  }
  return t;
}

}  // namespace

Text UrlHost(const Text& url, bool stripSubdomains, bool keepPort, std::optional<int> labelCount) {
  const Text host = labelCount ? LabelCountingHost(url, stripSubdomains, *labelCount)
                               : StandardHost(url, stripSubdomains);
  return CutPort(host, keepPort);
}

int UrlPort(const Text& url) {
  const Text host = UrlHost(url, false, true);
  const int colon = text::FindTextReverse(host, ":");
  if (colon == -1) return text::ToLowerAscii(text::TextLeft(url, 5)) == "https" ? 443 : 80;
  return text::TextToInt(text::TextRight(host, text::TextLength(host) - colon));
}

Text UrlPath(const Text& url) {
  const int hostAt = text::FindText(url, UrlHost(url), 1, true);
  const int slash = text::FindText(url, "/", hostAt, true);
  if (slash < 1) return "/";
  return text::TextRight(url, text::TextLength(url) - slash + 1);
}

}  // namespace web
