// Conversion between code pages, over the C library's iconv.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace text {

// fromCode and toCode are iconv names: "CP936" (GBK), "UTF-8", "UTF-16LE", ...
// Input that cannot be converted becomes "?" in the target encoding, one per unit of the
// source encoding, and the conversion goes on. Unknown code names give the empty string.
// Safe to call from any number of threads at once.
std::string ConvertCodePage(std::string_view input, const char* fromCode, const char* toCode);
// For Chinese literals in the sources and for file names; stops at a zero byte.
Text Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(const Text& gbk);

}  // namespace text
