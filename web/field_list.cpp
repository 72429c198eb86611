#include "web/field_list.h"

#include <cstddef>

#include "text/text_helpers.h"
#include "web/encodings.h"

namespace web {

using text::Text;
using text::TextArray;

namespace {

// Index of the first name equal to `name`, or -1.
std::ptrdiff_t FirstIndexOf(const TextArray& names, const Text& name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (text::CompareText(names[i], name) == 0) return static_cast<std::ptrdiff_t>(i);
  }
  return -1;
}

Text EncodedIf(const Text& value, bool encode) {
  return encode ? UrlEncode(value, true, false) : value;
}

}  // namespace

FieldList::~FieldList() { FieldList::Release(); }

void FieldList::Release() {
  TextArray().swap(names_);
  TextArray().swap(values_);
}

std::unique_ptr<FieldList> FieldList::Clone() const { return std::make_unique<FieldList>(*this); }

void FieldList::Add(const Text& name, const Text& value, bool utf8) {
  names_.push_back(name);
  values_.push_back(utf8 ? GbkToUtf8(value) : value);
}

void FieldList::AddPairs(const Text& form, bool utf8) {
  for (const Text& piece : text::SplitText(form, Text("&"))) {
    Add(text::TextLeftOf(piece, "="), text::TextRightOfLast(piece, "="), utf8);
  }
}

Text FieldList::GetValue(const Text& name) const {
  const std::ptrdiff_t i = FirstIndexOf(names_, name);
  return i == -1 ? Text() : values_[static_cast<std::size_t>(i)];
}

void FieldList::SetValue(const Text& name, const Text& value) {
  const std::ptrdiff_t i = FirstIndexOf(names_, name);
  if (i == -1) {
    Add(name, value);
  } else {
    values_[static_cast<std::size_t>(i)] = value;
  }
}

Text FieldList::BuildForm(bool encode) const {
  Text result;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    result += names_[i];
    result += '=';
    result += EncodedIf(values_[i], encode);
    result += '&';
  }
  return text::TextLeft(result, text::TextLength(result) - 1);
}

Text FieldList::BuildHeaders(bool encode) const {
  Text result;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    result += names_[i];
    result += ": ";
    result += EncodedIf(values_[i], encode);
    result += "\r\n";
  }
  return text::TextLeft(result, text::TextLength(result) - 2);
}

void FieldList::Names(TextArray& out) const { out = names_; }

void FieldList::Values(TextArray& out) const { out = values_; }

void FieldList::Clear() {
  names_.clear();
  values_.clear();
}

void FieldList::Remove(const Text& name) {
  const std::ptrdiff_t i = FirstIndexOf(names_, name);
  if (i == -1) return;
  names_.erase(names_.begin() + i);
  values_.erase(values_.begin() + i);
}

Text FieldList::BuildJson() const {
  Text result = "{";
  for (std::size_t i = 0; i < names_.size(); ++i) {
    result += '"';
    result += names_[i];
    result += "\":\"";
    result += EscapeQuotes(values_[i]);
    result += "\",";
  }
  StripAffix(result, ",");
  result += '}';
  return result;
}

Text FieldList::EscapeQuotes(const Text& value) const {
  return text::ReplaceMany(value, std::nullopt, std::nullopt, false, "\"", "\\\"");
}

Text FieldList::StripAffix(Text& t, const Text& affix) const {
  const int n = text::TextLength(affix);
  if (text::CompareText(text::TextRight(t, n), affix) == 0) {
    t = text::TextLeft(t, text::TextLength(t) - n);
  }
  if (text::CompareText(text::TextLeft(t, n), affix) == 0) {
    t = text::TextRight(t, text::TextLength(t) - n);
  }
  return t;
}

}  // namespace web
