// Code-page conversions and percent-encoding. Code pages are the Windows numbers: 936 (GBK),
// 65001 (UTF-8) and 0, the ANSI code page, which is GBK here. Bytes that are not valid in the
// source code page are replaced one character at a time, never dropped as a whole.
#pragma once

#include "text/text.h"

namespace web {

inline constexpr int kCodePageAnsi = 0;
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

// The text read in `codePage` as UTF-16LE units followed by a zero unit (a wide text). Its
// length is twice the number of units, terminator included, that a GBK reading of the text
// gives, or more when the requested code page yields more units; spare units are zero. An
// unknown code page gives zero units only.
text::Bytes AnsiToWide(const text::Text& t, int codePage);

// The wide text up to its first zero unit, written in `codePage`; empty for an unknown code
// page.
text::Text WideToAnsi(const text::Bytes& wide, int codePage);

// The same characters as UTF-8 bytes, carried in a Text.
text::Text GbkToUtf8(const text::Text& t);

// Percent-encodes every byte as "%" and two upper-case hex digits. With `keepUnreserved`,
// "-", ".", digits and ASCII letters stay as they are. With `utf8First` the UTF-8 bytes of the
// text are encoded instead of its GBK bytes.
text::Text UrlEncode(const text::Text& t, bool keepUnreserved, bool utf8First);

}  // namespace web
