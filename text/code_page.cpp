#include "text/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace text {

namespace {

// Conversion descriptors are kept for reuse instead of being closed: closing the last one of
// a pair unloads the C library's conversion module, and loading and unloading modules while
// other threads convert is both slow and beyond what race checkers can follow. Opening happens
// under the pool's lock; a descriptor is used by one conversion at a time. The pool is never
// destroyed, so a worker thread still converting at exit finds it intact.
class ConverterPool {
 public:
  static ConverterPool& Instance() {
    static ConverterPool* const pool = new ConverterPool;
    return *pool;
  }

  iconv_t Take(const std::string& key, const char* fromCode, const char* toCode) {
    const std::lock_guard lock(mutex_);
    std::vector<iconv_t>& idle = idle_[key];
    if (idle.empty()) return iconv_open(toCode, fromCode);
    const iconv_t cd = idle.back();
    idle.pop_back();
    return cd;
  }

  void Give(const std::string& key, iconv_t cd) {
    const std::lock_guard lock(mutex_);
    idle_[key].push_back(cd);
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::vector<iconv_t>> idle_;
};

// One descriptor from the pool for the length of one conversion.
class Converter {
 public:
  Converter(const char* fromCode, const char* toCode)
      : key_(std::string(fromCode) + '\0' + toCode),
        cd_(ConverterPool::Instance().Take(key_, fromCode, toCode)) {
    if (ok()) iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  }
  ~Converter() {
    if (ok()) ConverterPool::Instance().Give(key_, cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  std::string key_;
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

// Converted bytes with room to grow: the buffer doubles when full, so long inputs and long
// stretches of replaced input cost linear time.
class Output {
 public:
  explicit Output(std::size_t expected) : buffer_(expected + 16, '\0') {}

  // Runs one iconv step. Returns false with errno set when the input at `in` cannot be
  // converted; a null `in` lets a stateful encoding write its return to the initial state.
  bool Convert(iconv_t cd, const char*& in, std::size_t& inLeft) {
    while (true) {
      char* outPtr = buffer_.data() + used_;
      std::size_t outLeft = buffer_.size() - used_;
      char* inPtr = const_cast<char*>(in);
      const std::size_t result =
          iconv(cd, in != nullptr ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      if (in != nullptr) in = inPtr;
      used_ = static_cast<std::size_t>(outPtr - buffer_.data());
      if (result != static_cast<std::size_t>(-1)) return true;
      if (error != E2BIG) {
        errno = error;
        return false;
      }
      buffer_.resize(buffer_.size() * 2);
    }
  }

  void Append(std::string_view bytes) {
    if (buffer_.size() - used_ < bytes.size()) buffer_.resize(buffer_.size() * 2 + bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(used_));
    used_ += bytes.size();
  }

  std::string Take() && {
    buffer_.resize(used_);
    return std::move(buffer_);
  }

 private:
  std::string buffer_;
  std::size_t used_ = 0;
};

// "?" in the target encoding, or nothing when the target cannot write it.
std::string QuestionMark(const char* toCode) {
  Converter converter("ASCII", toCode);
  Output mark(4);
  const char* in = "?";
  std::size_t inLeft = 1;
  if (!converter.ok() || !mark.Convert(converter.get(), in, inLeft)) return {};
  return std::move(mark).Take();
}

}  // namespace

std::string ConvertCodePage(std::string_view input, const char* fromCode, const char* toCode) {
  Converter converter(fromCode, toCode);
  if (!converter.ok()) return {};

  const std::size_t unit = UnitSize(fromCode);
  std::string replacement;
  Output out(input.size() * 2);
  const char* in = input.data();
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    if (out.Convert(converter.get(), in, inLeft)) break;
    // EILSEQ, or EINVAL for a sequence cut off by the end: replace one unit and go on.
    const std::size_t skip = std::min(unit, inLeft);
    in += skip;
    inLeft -= skip;
    if (replacement.empty()) replacement = QuestionMark(toCode);
    out.Append(replacement);
  }
  const char* none = nullptr;
  std::size_t noneLeft = 0;
  out.Convert(converter.get(), none, noneLeft);
  return std::move(out).Take();
}

Text Utf8ToGbk(std::string_view utf8) {
  return ConvertCodePage(utf8.substr(0, utf8.find('\0')), "UTF-8", "CP936");
}

std::string GbkToUtf8(const Text& gbk) { return ConvertCodePage(gbk, "CP936", "UTF-8"); }

}  // namespace text
