// The mask entry filter: reading masks into segments and a template, which
// characters each position takes, the editable positions, and the value
// going into and out of a text field.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/core/filters/VEntryField.h"
#include "framework/core/filters/VMaskFilter.h"
#include "framework/core/filters/VMaskSegment.h"
#include "framework/core/strings/VUniString.h"

namespace {

VStrInHandle Str(const std::u16string& text) {
  VStrInHandle s;
  s.SetUniChars(text.data(), 0, int32_t(text.size()));
  return s;
}

std::u16string Text(const VString& s) {
  std::u16string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out.push_back(s.GetCharAt(i));
  return out;
}

std::u16string TemplateOf(const std::u16string& mask) {
  VMaskFilter filter(Str(mask));
  return Text(*filter.GetTemplate());
}

std::u16string Format(const VMaskFilter& filter, const std::u16string& value) {
  std::u16string text;
  filter.FormatValue(Str(value), text);
  return text;
}

std::u16string Extract(const VMaskFilter& filter, const std::u16string& text) {
  std::u16string value;
  filter.ExtractValue(Str(text), value);
  return value;
}

int32_t Next(const VMaskFilter& filter, int32_t position) {
  filter.NextEditablePosition(position);
  return position;
}

int32_t Previous(const VMaskFilter& filter, int32_t position) {
  filter.PreviousEditablePosition(position);
  return position;
}

bool Accepts(const VEntryFilter& filter, char16_t c, int32_t position) {
  return filter.AcceptsChar(&c, position);
}

// A text field that records what a filter does to it.
class FakeField : public VEntryField {
 public:
  void SetText(const VString& text) override {
    fText = Text(text);
    ++fSets;
  }
  void GetText(VString& text) const override { text.SetUniChars(fText.data(), 0, int32_t(fText.size())); }
  void SetSelection(int32_t start, int32_t end) override { fSelections.emplace_back(start, end); }

  std::u16string fText;
  int fSets = 0;
  std::vector<std::pair<int32_t, int32_t>> fSelections;
};

// The base answers of a filter that has no mask.
class UpperOnly : public VEntryFilter {
 public:
  bool AcceptsChar(const char16_t* c, int32_t) const override { return *c >= u'A' && *c <= u'Z'; }
};

const std::u16string kZip = u"&9###-##";

}  // namespace

TEST(MaskFilter, DigitMaskMakesInputAndLiteralSegments) {
  VMaskFilter filter(Str(kZip));
  EXPECT_EQ(Text(*filter.GetTemplate()), u"___-__");
  ASSERT_EQ(filter.CountSegments(), 3);
  const struct {
    bool literal;
    int32_t first, last;
  } expected[] = {{false, 0, 2}, {true, 3, 3}, {false, 4, 5}};
  for (int32_t i = 0; i < 3; ++i) {
    const VMaskSegment* s = filter.GetSegment(i + 1);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->IsLiteral(), expected[i].literal) << i;
    EXPECT_EQ(s->GetFirst(), expected[i].first) << i;
    EXPECT_EQ(s->GetLast(), expected[i].last) << i;
  }
  const auto* input = static_cast<const VMaskInputSegment*>(filter.GetSegment(1));
  EXPECT_EQ(input->GetPlaceholder(), u'_');
  ASSERT_EQ(input->GetRanges().Count(), 1);
  EXPECT_EQ(input->GetRanges().GetAt(1).low, u'0');
  EXPECT_EQ(input->GetRanges().GetAt(1).high, u'9');
}

TEST(MaskFilter, DigitMaskAcceptsDigitsAtInputPositionsOnly) {
  VMaskFilter filter(Str(kZip));
  for (int32_t p : {0, 1, 2, 4, 5}) {
    EXPECT_TRUE(Accepts(filter, u'0', p)) << p;
    EXPECT_TRUE(Accepts(filter, u'9', p)) << p;
    EXPECT_FALSE(Accepts(filter, u'a', p)) << p;
    EXPECT_FALSE(Accepts(filter, u'/', p)) << p;
    EXPECT_FALSE(Accepts(filter, u':', p)) << p;
  }
  // The literal position refuses everything, its own hyphen included.
  for (char16_t c : {u'-', u'5', u'x', u'_'}) EXPECT_FALSE(Accepts(filter, c, 3));
  EXPECT_FALSE(Accepts(filter, u'5', 6));
  EXPECT_FALSE(Accepts(filter, u'5', -1));
  EXPECT_FALSE(filter.AcceptsChar(nullptr, 0));
}

TEST(MaskFilter, EditablePositionsSkipLiteralText) {
  VMaskFilter filter(Str(kZip));
  EXPECT_EQ(Next(filter, 3), 4);
  EXPECT_EQ(Next(filter, 6), -1);
  EXPECT_EQ(Next(filter, 0), 0);
  EXPECT_EQ(Next(filter, -5), 0);
  EXPECT_EQ(Next(filter, 5), 5);
  EXPECT_EQ(Previous(filter, 3), 2);
  EXPECT_EQ(Previous(filter, 5), 5);
  EXPECT_EQ(Previous(filter, 40), 5);
  EXPECT_EQ(Previous(filter, 0), 0);
  EXPECT_EQ(Previous(filter, -1), -1);
}

TEST(MaskFilter, FormattingPutsPlaceholdersForRefusedAndMissingCharacters) {
  VMaskFilter filter(Str(kZip));
  EXPECT_EQ(Format(filter, u"12a45"), u"12_-45");
  EXPECT_EQ(Format(filter, u"12345"), u"123-45");
  EXPECT_EQ(Format(filter, u"1"), u"1__-__");
  EXPECT_EQ(Format(filter, u""), u"___-__");
  EXPECT_EQ(Format(filter, u"1234567"), u"123-45");
}

TEST(MaskFilter, ExtractionKeepsTheInputPositionsOnly) {
  VMaskFilter filter(Str(kZip));
  EXPECT_EQ(Extract(filter, u"123-45"), u"12345");
  EXPECT_EQ(Extract(filter, u"12_-4_"), u"12_4_");
  EXPECT_EQ(Extract(filter, u"12"), u"12");
  EXPECT_EQ(Extract(filter, u"123-456789"), u"12345");
  EXPECT_EQ(Extract(filter, u""), u"");
}

TEST(MaskFilter, ExclamationMarkSetsThePlaceholderOfLaterRuns) {
  EXPECT_EQ(TemplateOf(u"!*##"), u"**");
  VMaskFilter filter(Str(u"##!*##"));
  EXPECT_EQ(Text(*filter.GetTemplate()), u"__**");
  EXPECT_EQ(filter.PlaceholderAt(0), u'_');
  EXPECT_EQ(filter.PlaceholderAt(2), u'*');
  EXPECT_EQ(filter.PlaceholderAt(9), u'_');
  EXPECT_EQ(Format(filter, u"1"), u"1_**");
}

TEST(MaskFilter, EmptyMaskAcceptsAnyCharacterAnywhere) {
  VMaskFilter filter(Str(u""));
  EXPECT_EQ(filter.GetTemplate()->GetLength(), 0);
  for (char16_t c : {u'a', u'0', u'-', char16_t(0xFFFF), char16_t(0)})
    for (int32_t p : {0, 1, 1000, 0x7FFFFFFF}) EXPECT_TRUE(Accepts(filter, c, p));
  ASSERT_EQ(filter.CountSegments(), 1);
  EXPECT_EQ(filter.GetSegment(1)->GetLast(), 0x7FFFFFFF);
  EXPECT_EQ(Next(filter, 0), -1);
  EXPECT_EQ(Previous(filter, 0), -1);
  EXPECT_EQ(Format(filter, u"free text"), u"free text");
  EXPECT_EQ(Extract(filter, u"free text"), u"free text");
}

TEST(MaskFilter, ClassWithoutInputRunsFiltersFreeInput) {
  VMaskFilter filter(Str(u"&9"));
  EXPECT_EQ(filter.GetTemplate()->GetLength(), 0);
  EXPECT_TRUE(Accepts(filter, u'7', 12));
  EXPECT_FALSE(Accepts(filter, u'x', 12));
  // A refused character becomes the free segment's zero placeholder, which
  // is not written.
  EXPECT_EQ(Format(filter, u"1a2"), u"12");
}

TEST(MaskFilter, CommandAtTheEndOfTheMaskIsIgnored) {
  for (const std::u16string mask : {u"##!", u"##&", u"##~"}) {
    VMaskFilter filter(Str(mask));
    EXPECT_EQ(Text(*filter.GetTemplate()), u"__");
    EXPECT_EQ(filter.CountSegments(), 1);
    EXPECT_TRUE(Accepts(filter, u'q', 1));
  }
  for (const std::u16string mask : {u"!", u"&", u"~", u"&\""}) {
    VMaskFilter filter(Str(mask));
    EXPECT_EQ(filter.GetTemplate()->GetLength(), 0);
    EXPECT_EQ(filter.CountSegments(), 1);
  }
}

TEST(MaskFilter, LongMasksAreKeptWhole) {
  std::u16string mask = u"&9";
  std::u16string look;
  for (int i = 0; i < 40; ++i) {
    mask += u"##/";
    look += u"__/";
  }
  VMaskFilter filter(Str(mask));
  EXPECT_EQ(Text(*filter.GetTemplate()), look);
  EXPECT_EQ(filter.CountSegments(), 80);
  EXPECT_TRUE(Accepts(filter, u'3', 118));
  EXPECT_FALSE(Accepts(filter, u'3', 119));
  EXPECT_EQ(Next(filter, 119), -1);
  EXPECT_EQ(Previous(filter, 500), 118);
  std::u16string digits;
  for (int i = 0; i < 80; ++i) digits.push_back(char16_t(u'0' + i % 10));
  const std::u16string text = Format(filter, digits);
  EXPECT_EQ(text.size(), 120u);
  EXPECT_EQ(Extract(filter, text), digits);
  // Longer than any length prefix holds.
  const std::u16string wide(1000, u'#');
  EXPECT_EQ(TemplateOf(wide), std::u16string(1000, u'_'));
}

TEST(MaskFilter, ClassesOfCharacters) {
  VMaskFilter capitals(Str(u"&A#"));
  EXPECT_TRUE(Accepts(capitals, u'Q', 0));
  EXPECT_FALSE(Accepts(capitals, u'q', 0));
  VMaskFilter letters(Str(u"&a#"));
  EXPECT_TRUE(Accepts(letters, u'Q', 0));
  EXPECT_TRUE(Accepts(letters, u'q', 0));
  EXPECT_FALSE(Accepts(letters, u'1', 0));
  VMaskFilter both(Str(u"~@#"));
  for (char16_t c : {u'0', u'9', u'a', u'z', u'A', u'Z'}) EXPECT_TRUE(Accepts(both, c, 0)) << int(c);
  for (char16_t c : {u'-', u' ', u'[', u'{'}) EXPECT_FALSE(Accepts(both, c, 0)) << int(c);
  // An unknown class letter leaves the class as it was.
  VMaskFilter kept(Str(u"&9&x#"));
  EXPECT_TRUE(Accepts(kept, u'4', 0));
  EXPECT_FALSE(Accepts(kept, u'x', 0));
  EXPECT_EQ(Text(*kept.GetTemplate()), u"_");
}

TEST(MaskFilter, EachRunKeepsTheClassInForceWhenItWasRead) {
  VMaskFilter filter(Str(u"&9##&A##"));
  EXPECT_TRUE(Accepts(filter, u'1', 1));
  EXPECT_FALSE(Accepts(filter, u'B', 1));
  EXPECT_TRUE(Accepts(filter, u'B', 2));
  EXPECT_FALSE(Accepts(filter, u'1', 2));
}

TEST(MaskFilter, ExplicitSetsOfRangesAndSingleCharacters) {
  VMaskFilter filter(Str(u"&\"a-c;x;0-2\"#"));
  const auto* input = static_cast<const VMaskInputSegment*>(filter.GetSegment(1));
  ASSERT_EQ(input->GetRanges().Count(), 3);
  EXPECT_EQ(input->GetRanges().GetAt(2).low, u'x');
  EXPECT_EQ(input->GetRanges().GetAt(2).high, u'x');
  for (char16_t c : {u'a', u'b', u'c', u'x', u'0', u'2'}) EXPECT_TRUE(Accepts(filter, c, 0)) << int(c);
  for (char16_t c : {u'd', u'y', u'3', u';', u'-'}) EXPECT_FALSE(Accepts(filter, c, 0)) << int(c);
  EXPECT_EQ(Text(*filter.GetTemplate()), u"_");
  // Items may follow each other without separators, and the last single
  // character before the closing quote belongs to the set.
  VMaskFilter adjacent(Str(u"&\"pq0-1z\"##"));
  for (char16_t c : {u'p', u'q', u'0', u'1', u'z'}) EXPECT_TRUE(Accepts(adjacent, c, 1)) << int(c);
  EXPECT_FALSE(Accepts(adjacent, u'2', 1));
  EXPECT_EQ(Text(*adjacent.GetTemplate()), u"__");
  // A set without a closing quote runs to the end of the mask.
  VMaskFilter open(Str(u"##&\"k-m"));
  EXPECT_TRUE(Accepts(open, u'5', 0));
  EXPECT_EQ(Text(*open.GetTemplate()), u"__");
  // A hyphen before the closing quote is a character of its own.
  VMaskFilter hyphen(Str(u"&\"a-\"#"));
  EXPECT_TRUE(Accepts(hyphen, u'a', 0));
  EXPECT_TRUE(Accepts(hyphen, u'-', 0));
  EXPECT_FALSE(Accepts(hyphen, u'b', 0));
}

TEST(MaskFilter, EmptySetRefusesEveryCharacter) {
  VMaskFilter filter(Str(u"&\"\"##"));
  EXPECT_EQ(Text(*filter.GetTemplate()), u"__");
  EXPECT_FALSE(Accepts(filter, u'a', 0));
  EXPECT_FALSE(Accepts(filter, u'_', 1));
  EXPECT_EQ(Format(filter, u"ab"), u"__");
}

TEST(MaskFilter, LiteralRunsEndAtCommandCharacters) {
  VMaskFilter phone(Str(u"&9(###) ###-####"));
  EXPECT_EQ(Text(*phone.GetTemplate()), u"(___) ___-____");
  EXPECT_EQ(phone.CountSegments(), 6);
  EXPECT_EQ(Format(phone, u"5551234567"), u"(555) 123-4567");
  EXPECT_EQ(Extract(phone, u"(555) 123-4567"), u"5551234567");
  EXPECT_EQ(Next(phone, 0), 1);
  EXPECT_EQ(Next(phone, 4), 6);
  EXPECT_EQ(Previous(phone, 5), 3);
  // An "@" or a double quote that no command takes is literal text.
  VMaskFilter at(Str(u"@x##\"y"));
  EXPECT_EQ(Text(*at.GetTemplate()), u"@x__\"y");
  EXPECT_EQ(at.CountSegments(), 3);
  EXPECT_FALSE(Accepts(at, u'@', 0));
  EXPECT_TRUE(Accepts(at, u'@', 2));
}

TEST(MaskFilter, SetFieldValueFormatsAndSelectsTheFirstInputPosition) {
  VMaskFilter filter(Str(u"&9(###)"));
  FakeField field;
  filter.SetFieldValue(Str(u"12"), field);
  EXPECT_EQ(field.fText, u"(12_)");
  ASSERT_EQ(field.fSelections.size(), 1u);
  EXPECT_EQ(field.fSelections[0], std::make_pair(1, 2));
  VStrInHandle value;
  field.fText = u"(987)";
  filter.GetFieldValue(field, value);
  EXPECT_EQ(Text(value), u"987");
}

TEST(MaskFilter, FreeFieldTakesTheValueWithoutSelecting) {
  VMaskFilter filter(Str(u""));
  FakeField field;
  filter.SetFieldValue(Str(u"abc"), field);
  EXPECT_EQ(field.fText, u"abc");
  EXPECT_TRUE(field.fSelections.empty());
  VStrInHandle value;
  filter.GetFieldValue(field, value);
  EXPECT_EQ(Text(value), u"abc");
}

TEST(EntryFilter, BaseGivesTheValueThroughUnchanged) {
  UpperOnly filter;
  FakeField field;
  filter.SetFieldValue(Str(u"a-1"), field);
  EXPECT_EQ(field.fText, u"a-1");
  EXPECT_TRUE(field.fSelections.empty());
  VStrInHandle value;
  filter.GetFieldValue(field, value);
  EXPECT_EQ(Text(value), u"a-1");
  EXPECT_EQ(filter.GetTemplate(), nullptr);
  int32_t position = 7;
  filter.NextEditablePosition(position);
  EXPECT_EQ(position, 7);
  filter.PreviousEditablePosition(position);
  EXPECT_EQ(position, 7);
  EXPECT_TRUE(Accepts(filter, u'K', 0));
  EXPECT_FALSE(Accepts(filter, u'k', 0));
}
