#include "text/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace text {

namespace {

// Owns one conversion descriptor; each conversion opens its own, so calls on different
// threads share nothing.
class Converter {
 public:
  Converter(const char* fromCode, const char* toCode) : cd_(iconv_open(toCode, fromCode)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// The size of one code unit of the source encoding: what a replacement "?" stands for.
std::size_t UnitSize(const char* code) {
  std::string name;
  for (const char* c = code; *c != '\0'; ++c) {
    name.push_back(static_cast<char>((*c >= 'a' && *c <= 'z') ? *c - 'a' + 'A' : *c));
  }
  if (name.starts_with("UTF-16") || name.starts_with("UTF16") || name.starts_with("UCS-2") ||
      name.starts_with("UCS2")) {
    return 2;
  }
  if (name.starts_with("UTF-32") || name.starts_with("UTF32") || name.starts_with("UCS-4") ||
      name.starts_with("UCS4")) {
    return 4;
  }
  return 1;
}

// Runs one iconv step, growing the output as needed. Returns false with errno set when the
// input at `in` cannot be converted.
bool ConvertSome(iconv_t cd, const char*& in, std::size_t& inLeft, std::string& out) {
  while (true) {
    const std::size_t used = out.size();
    out.resize(used + inLeft * 4 + 16);
    char* outPtr = out.data() + used;
    std::size_t outLeft = out.size() - used;
    char* inPtr = const_cast<char*>(in);
    const std::size_t result =
        iconv(cd, in != nullptr ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    if (in != nullptr) in = inPtr;
    out.resize(static_cast<std::size_t>(outPtr - out.data()));
    if (result != static_cast<std::size_t>(-1)) return true;
    if (error != E2BIG) {
      errno = error;
      return false;
    }
  }
}

}  // namespace

std::string ConvertCodePage(std::string_view input, const char* fromCode, const char* toCode) {
  Converter converter(fromCode, toCode);
  Converter question("ASCII", toCode);
  if (!converter.ok() || !question.ok()) return {};

  std::string replacement;
  const char* mark = "?";
  std::size_t markLeft = 1;
  if (!ConvertSome(question.get(), mark, markLeft, replacement)) return {};

  const std::size_t unit = UnitSize(fromCode);
  std::string out;
  out.reserve(input.size() + input.size() / 2 + 16);
  const char* in = input.data();
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    if (ConvertSome(converter.get(), in, inLeft, out)) break;
    // EILSEQ or EINVAL (a sequence cut off by the end): replace one unit and go on.
    const std::size_t skip = std::min(unit, inLeft);
    in += skip;
    inLeft -= skip;
    out += replacement;
  }
  // Lets a stateful target encoding return to its initial state.
  const char* none = nullptr;
  std::size_t noneLeft = 0;
  ConvertSome(converter.get(), none, noneLeft, out);
  return out;
}

Text Utf8ToGbk(std::string_view utf8) {
  return ConvertCodePage(utf8.substr(0, utf8.find('\0')), "UTF-8", "CP936");
}

std::string GbkToUtf8(const Text& gbk) { return ConvertCodePage(gbk, "CP936", "UTF-8"); }

}  // namespace text
