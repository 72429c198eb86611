#include "web/field_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "text/code_page.h"

namespace {

using text::Text;
using text::TextArray;
using Pairs = std::vector<std::pair<Text, Text>>;

Pairs PairsOf(const web::FieldList& list) {
  TextArray names;
  TextArray values;
  list.Names(names);
  list.Values(values);
  EXPECT_EQ(names.size(), values.size());
  Pairs pairs;
  for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
    pairs.emplace_back(names[i], values[i]);
  }
  return pairs;
}

web::FieldList ListOf(const Pairs& pairs) {
  web::FieldList list;
  for (const auto& [name, value] : pairs) list.Add(name, value);
  return list;
}

struct BuildCase {
  std::string label;
  Pairs pairs;
  Text form;
  Text headers;
  Text json;
};

TEST(FieldList, Builders) {
  const BuildCase cases[] = {
      {"empty list", {}, "", "", "{}"},
      {"one header",
       {{"User-Agent", "X"}},
       "User-Agent=X",
       "User-Agent: X",
       "{\"User-Agent\":\"X\"}"},
      {"two pairs",
       {{"a", "1"}, {"b", "2"}},
       "a=1&b=2",
       "a: 1\r\nb: 2",
       "{\"a\":\"1\",\"b\":\"2\"}"},
      {"empty name and value", {{"", ""}}, "=", ": ", "{\"\":\"\"}"},
      {"quotes escaped, backslashes not doubled",
       {{"k", "a\"b\\c"}},
       "k=a\"b\\c",
       "k: a\"b\\c",
       "{\"k\":\"a\\\"b\\c\"}"},
      {"value ending in a comma keeps it", {{"k", "v,"}}, "k=v,", "k: v,", "{\"k\":\"v,\"}"},
  };
  for (const BuildCase& c : cases) {
    SCOPED_TRACE(c.label);
    const web::FieldList list = ListOf(c.pairs);
    EXPECT_EQ(list.BuildForm(), c.form);
    EXPECT_EQ(list.BuildHeaders(), c.headers);
    EXPECT_EQ(list.BuildJson(), c.json);
  }
}

TEST(FieldList, EncodeOptionEncodesValuesOnly) {
  const web::FieldList list = ListOf({{"q/r", "a b/c"}});
  EXPECT_EQ(list.BuildForm(true), "q/r=a%20b%2Fc");
  EXPECT_EQ(list.BuildForm(false), "q/r=a b/c");
  EXPECT_EQ(list.BuildHeaders(true), "q/r: a%20b%2Fc");
  // Values stay GBK when encoded: the bytes themselves, not their UTF-8 form.
  const web::FieldList chinese = ListOf({{"k", text::Utf8ToGbk("中文")}});
  EXPECT_EQ(chinese.BuildForm(true), "k=%D6%D0%CE%C4");
}

struct FillCase {
  std::string label;
  Text form;
  Pairs expected;
};

TEST(FieldList, AddPairs) {
  const FillCase cases[] = {
      {"two pairs", "a=1&b=2", {{"a", "1"}, {"b", "2"}}},
      {"middle part lost", "a=b=c", {{"a", "c"}}},
      {"value after the last equals sign", "k=ab==", {{"k", ""}}},
      {"piece without equals sign", "x", {{"", ""}}},
      {"empty piece between ampersands", "a=1&&b=2", {{"a", "1"}, {"", ""}, {"b", "2"}}},
      {"final ampersand adds nothing", "a=1&", {{"a", "1"}}},
      {"leading ampersand adds an empty pair", "&a=1", {{"", ""}, {"a", "1"}}},
      {"empty text", "", {}},
      {"nothing decoded or trimmed", " a = %20 ", {{" a ", " %20 "}}},
  };
  for (const FillCase& c : cases) {
    SCOPED_TRACE(c.label);
    web::FieldList list;
    list.AddPairs(c.form);
    EXPECT_EQ(PairsOf(list), c.expected);
  }
}

TEST(FieldList, Utf8OptionConvertsValuesOnly) {
  const Text name = text::Utf8ToGbk("名");
  web::FieldList list;
  list.Add(name, text::Utf8ToGbk("中文"), true);
  list.AddPairs("a=" + text::Utf8ToGbk("中"), true);
  list.SetValue("b", text::Utf8ToGbk("文"));
  EXPECT_EQ(PairsOf(list), (Pairs{{name, "\xE4\xB8\xAD\xE6\x96\x87"},
                                  {"a", "\xE4\xB8\xAD"},
                                  {"b", text::Utf8ToGbk("文")}}));
}

TEST(FieldList, LookupsUseTheFirstExactName) {
  web::FieldList list = ListOf({{"a", "1"}, {"a", "2"}, {"User-Agent", "X"}, {"e", ""}});
  EXPECT_EQ(list.GetValue("a"), "1");
  EXPECT_EQ(list.GetValue("user-agent"), "");
  EXPECT_EQ(list.GetValue("e"), "");
  EXPECT_EQ(list.GetValue("missing"), "");

  list.SetValue("a", "3");
  list.SetValue("user-agent", "Y");
  EXPECT_EQ(PairsOf(list),
            (Pairs{{"a", "3"}, {"a", "2"}, {"User-Agent", "X"}, {"e", ""}, {"user-agent", "Y"}}));

  list.Remove("a");
  list.Remove("missing");
  EXPECT_EQ(PairsOf(list),
            (Pairs{{"a", "2"}, {"User-Agent", "X"}, {"e", ""}, {"user-agent", "Y"}}));
}

TEST(FieldList, NamesAndValuesReplaceTheCallersArray) {
  const web::FieldList list = ListOf({{"a", "1"}, {"b", "2"}});
  TextArray names = {"old", "older", "oldest"};
  TextArray values = {"x"};
  list.Names(names);
  list.Values(values);
  EXPECT_EQ(names, (TextArray{"a", "b"}));
  EXPECT_EQ(values, (TextArray{"1", "2"}));
}

TEST(FieldList, ClearReleaseAndReuse) {
  web::FieldList list = ListOf({{"a", "1"}});
  list.Clear();
  EXPECT_TRUE(PairsOf(list).empty());
  list.Add("b", "2");
  list.Release();
  EXPECT_TRUE(PairsOf(list).empty());
  list.Add("c", "3");
  EXPECT_EQ(list.BuildForm(), "c=3");
}

TEST(FieldList, CopiesAreDeep) {
  web::FieldList original = ListOf({{"a", "1"}});
  const std::unique_ptr<web::FieldList> clone = original.Clone();
  web::FieldList copy = original;
  web::FieldList assigned;
  assigned.Add("z", "9");
  assigned = original;

  original.SetValue("a", "changed");
  original.Add("b", "2");
  for (const web::FieldList* list : {clone.get(), &copy, &assigned}) {
    EXPECT_EQ(PairsOf(*list), (Pairs{{"a", "1"}}));
  }
}

TEST(FieldList, OperationsCallEachOtherVirtually) {
  // A list that writes every added value in capitals shows that AddPairs and SetValue go
  // through Add, and that BuildJson goes through EscapeQuotes.
  class ShoutingList : public web::FieldList {
   public:
    void Add(const Text& name, const Text& value, bool utf8) override {
      web::FieldList::Add(name, text::ToUpperAscii(value), utf8);
    }
    Text EscapeQuotes(const Text& value) const override { return "<" + value + ">"; }
  };
  ShoutingList list;
  list.AddPairs("a=x&b=y");
  list.SetValue("c", "z");
  EXPECT_EQ(list.BuildForm(), "a=X&b=Y&c=Z");
  EXPECT_EQ(list.BuildJson(), "{\"a\":\"<X>\",\"b\":\"<Y>\",\"c\":\"<Z>\"}");
}

struct AffixCase {
  std::string label;
  Text input;
  Text affix;
  Text expected;
};

TEST(FieldList, StripAffix) {
  const AffixCase cases[] = {
      {"both ends", ",a,", ",", "a"},
      {"affix only", ",", ",", ""},
      {"once from the end", "a,,", ",", "a,"},
      {"end first, then start", ",,", ",", ""},
      {"longer affix", "<>a<>", "<>", "a"},
      {"empty affix", ",a,", "", ",a,"},
      {"text shorter than the affix", "<", "<>", "<"},
      {"no affix", "abc", ",", "abc"},
  };
  const web::FieldList list;
  for (const AffixCase& c : cases) {
    SCOPED_TRACE(c.label);
    Text t = c.input;
    EXPECT_EQ(list.StripAffix(t, c.affix), c.expected);
    EXPECT_EQ(t, c.expected);
  }
}

TEST(FieldList, EscapeQuotes) {
  const web::FieldList list;
  EXPECT_EQ(list.EscapeQuotes("say \"hi\""), "say \\\"hi\\\"");
  EXPECT_EQ(list.EscapeQuotes("\\\""), "\\\\\"");
  EXPECT_EQ(list.EscapeQuotes(""), "");
}

}  // namespace
