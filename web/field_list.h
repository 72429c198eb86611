// An ordered list of name/value pairs that writes header, form and JSON-like texts.
#pragma once

#include <memory>

#include "text/text.h"

namespace web {

// Names may repeat and may be empty; lookups by name are exact and stop at the first match.
// The operations are virtual and call each other virtually (AddPairs and SetValue call Add,
// BuildJson calls EscapeQuotes and StripAffix), so a derived list can change one step.
// Copying a list copies every pair, as Clone does.
class FieldList {
 public:
  FieldList() = default;
  FieldList(const FieldList& other) = default;
  FieldList& operator=(const FieldList& other) = default;
  FieldList(FieldList&& other) noexcept = default;
  FieldList& operator=(FieldList&& other) noexcept = default;
  virtual ~FieldList();

  // Frees every pair and the storage that held them.
  virtual void Release();
  virtual std::unique_ptr<FieldList> Clone() const;

  // With `utf8` the value is stored as GbkToUtf8 of it.
  virtual void Add(const text::Text& name, const text::Text& value, bool utf8 = false);
  // Adds one pair per "&"-separated piece: the text left of the first "=" and the text right
  // of the last "=" (so a=b=c gives a and c); nothing is decoded or trimmed.
  virtual void AddPairs(const text::Text& form, bool utf8 = false);
  virtual text::Text GetValue(const text::Text& name) const;
  // Replaces the first pair's value as given, or appends the pair when the name is absent.
  virtual void SetValue(const text::Text& name, const text::Text& value);
  // name=value pairs joined by "&". With `encode` each value is UrlEncode'd (unreserved bytes
  // kept, GBK bytes as they are); names never are.
  virtual text::Text BuildForm(bool encode = false) const;
  // "name: value" lines joined by "\r\n", with no line break after the last, so that callers
  // can append lines that each start with "\r\n". `encode` as for BuildForm.
  virtual text::Text BuildHeaders(bool encode = false) const;
  virtual void Names(text::TextArray& out) const;
  virtual void Values(text::TextArray& out) const;
  virtual void Clear();
  virtual void Remove(const text::Text& name);
  // {"name":"value",...}; only double quotes in values are escaped.
  virtual text::Text BuildJson() const;
  virtual text::Text EscapeQuotes(const text::Text& value) const;
  // Removes `affix` once from the end of `t`, then once from its start; stores the result in
  // `t` and returns a copy of it.
  virtual text::Text StripAffix(text::Text& t, const text::Text& affix) const;

 private:
  text::TextArray names_;
  text::TextArray values_;
};

}  // namespace web
