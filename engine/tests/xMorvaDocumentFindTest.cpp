// Find and replace over a document's real texts: the next match with and
// without wrap, whole words at the text's end and before a tab element,
// property criteria, replacements in one undo group, and a seeded run of
// replacements checked against a plain model and undone.
#include <random>

#include "document/xMorvaFind.h"
#include "engine/tests/DocumentFixture.h"

namespace {

class FindTest : public DocumentTest {
 protected:
  void Find(const char16_t* text) { parameters.findText.SetUniCText(text); }
  void Replace(const char16_t* text) { parameters.replaceText.SetUniCText(text); }
  std::pair<int32_t, int32_t> Selection() {
    int32_t start = 0;
    int32_t end = 0;
    document->GetCurrentPart()->GetSelection(start, end);
    return {start, end};
  }
  Bytes PartBytes() {
    xMorvaTextInterface* part = document->GetCurrentPart();
    const uint8_t* data = part->LockStream();
    Bytes bytes = data != nullptr ? Bytes(data, data + part->GetStreamSize()) : Bytes();
    part->UnlockStream();
    return bytes;
  }
  // Bold over [start, end), unrecorded.
  void Bold(int32_t start, int32_t end) {
    document->GetUndo()->Suspend();
    document->GetCurrentPart()->SetSelection(start, end);
    ASSERT_EQ(document->GetCurrentPart()->SetPropertyValue(kPropBold, 1), 0);
    document->GetUndo()->Resume();
  }

  xMorvaFindReplaceParameters parameters;
};

using Span = std::pair<int32_t, int32_t>;

TEST_F(FindTest, NextMatchUnderWrapAndWholeWords) {
  struct Case {
    const char16_t* text;
    int32_t selStart, selEnd;
    const char16_t* pattern;
    uint8_t whole, wrap;
    int32_t start, end;  // the selection after: the match, or as it was
  };
  const Case cases[] = {
      {u"ababc cat", 0, 0, u"abc", 0, 1, 2, 5},
      {u"cat dog cat", 9, 11, u"cat", 0, 1, 0, 3},
      {u"cat dog cat", 9, 11, u"cat", 0, 0, 9, 11},
      // The second pass takes in a match that runs on behind the old end.
      {u"dog cat", 4, 5, u"cat", 0, 1, 4, 7},
      {u"concat cats cat", 0, 0, u"cat", 1, 0, 12, 15},
      // Started inside a word, the word is not there.
      {u"concat", 3, 3, u"cat", 1, 0, 3, 3},
      {u"concat", 3, 3, u"cat", 0, 0, 3, 6},
      // Started after an emoji's selector or low unit, a word is whole.
      {u"I \u2764\uFE0FTokyo, Tokyo", 4, 4, u"Tokyo", 1, 0, 4, 9},
      {u"\U0001F642Tokyo", 2, 2, u"Tokyo", 1, 0, 2, 7},
      // A match is whole characters: not a letter without its mark, not
      // half a flag, not one emoji of a joined family.
      {u"Cafe\u0301 cafe", 0, 0, u"e", 0, 0, 9, 10},
      {u"Cafe\u0301 cafe", 0, 0, u"e\u0301", 0, 0, 3, 5},
      {u"cafe\u0301 cafe", 0, 0, u"cafe", 1, 0, 6, 10},
      {u"\U0001F1EF\U0001F1F5", 0, 0, u"\U0001F1EF", 0, 1, 0, 0},
      {u"\U0001F468\u200D\U0001F469 \U0001F468", 0, 0, u"\U0001F468", 0, 0, 6, 8},
  };
  for (const Case& c : cases) {
    Load(c.text, c.selStart, c.selEnd);
    Find(c.pattern);
    parameters.wholeWord = c.whole;
    parameters.wrap = c.wrap;
    EXPECT_EQ(document->FindNext(parameters), c.start != c.selStart || c.end != c.selEnd);
    EXPECT_EQ(Selection(), Span(c.start, c.end)) << "case " << (&c - cases);
  }

  // A tab element ends a whole word and matches a tab of the pattern.
  Load(u"a cat", 5, 5);
  xMorvaTextInterface* part = document->GetCurrentPart();
  document->GetUndo()->Suspend();
  ASSERT_EQ(static_cast<xMorvaEngine*>(part)->InsertTab(), 0);
  document->GetUndo()->Resume();
  for (const char16_t* pattern : {u"cat", u"cat\t"}) {
    part->SetSelection(0, 0);
    Find(pattern);
    parameters.wholeWord = pattern[3] == 0 ? 1 : 0;
    ASSERT_TRUE(document->FindNext(parameters));
    EXPECT_EQ(Selection(), Span(2, pattern[3] == 0 ? 5 : 6));
  }
}

TEST_F(FindTest, PropertyCriteriaAndPropertiesOnly) {
  Load(u"abc abc abc", 0, 0);
  Bold(4, 7);
  Bold(9, 11);
  document->GetCurrentPart()->SetSelection(0, 0);
  parameters.findProperties.SetProperty(kPropBold, 1);
  parameters.findStates.SetState(kPropBold, 1);
  parameters.wrap = 0;
  Find(u"abc");
  ASSERT_TRUE(document->FindNext(parameters));
  EXPECT_EQ(Selection(), Span(4, 7));
  EXPECT_FALSE(document->FindNext(parameters));
  // No text: the whole bold run after the caret.
  Find(u"");
  document->GetCurrentPart()->SetSelection(1, 1);
  ASSERT_TRUE(document->FindNext(parameters));
  EXPECT_EQ(Selection(), Span(4, 7));
  ASSERT_TRUE(document->FindNext(parameters));
  EXPECT_EQ(Selection(), Span(9, 11));
}

TEST_F(FindTest, ReplaceAllFromTheStartAsOneGroup) {
  Load(u"a-b-a-b-a", 6, 6);
  const Bytes before = PartBytes();
  Find(u"a");
  Replace(u"xyz");
  parameters.replaceProperties.SetProperty(kPropItalic, 1);
  parameters.replaceStates.SetState(kPropItalic, 1);
  EXPECT_EQ(document->ReplaceAll(parameters), 3);
  EXPECT_EQ(Text(), u"xyz-b-xyz-b-xyz");
  EXPECT_EQ(parameters.wrap, 1);
  EXPECT_EQ(PropertyAt(kPropItalic, 6, 9), 1);
  EXPECT_EQ(PropertyAt(kPropItalic, 4, 5), 0);
  document->GetUndo()->Undo();
  EXPECT_EQ(PartBytes(), before);

  // Nothing replaced: the selection stays.
  Find(u"q");
  document->GetCurrentPart()->SetSelection(2, 3);
  EXPECT_EQ(document->ReplaceAll(parameters), 0);
  EXPECT_EQ(Selection(), Span(2, 3));

  // Properties only: every bold run becomes italic.
  Bold(2, 3);
  Bold(6, 7);
  Find(u"");
  Replace(u"");
  parameters.findProperties.SetProperty(kPropBold, 1);
  parameters.findStates.SetState(kPropBold, 1);
  EXPECT_EQ(document->ReplaceAll(parameters), 2);
  EXPECT_EQ(PropertyAt(kPropItalic, 6, 7), 1);
  EXPECT_EQ(PropertyAt(kPropItalic, 4, 5), 0);

  // A letter keeps its mark.
  Load(u"e\u0301 e", 0, 0);
  parameters.findStates.SetState(kPropBold, 0);
  Find(u"e");
  Replace(u"xyz");
  EXPECT_EQ(document->ReplaceAll(parameters), 1);
  EXPECT_EQ(Text(), u"e\u0301 xyz");
}

TEST_F(FindTest, ReplaceNextTakesTheSelectedMatchFirst) {
  struct Case {
    const char16_t* text;
    int32_t selStart, selEnd;
    bool findFirst;
    const char16_t *pattern, *by;
    uint8_t whole;
    const char16_t* after;
    int32_t start, end;  // the selection after
  };
  const Case cases[] = {
      // The match found is replaced and the next one selected.
      {u"Hello world", 0, 0, true, u"o", u"0", 0, u"Hell0 world", 7, 8},
      {u"concat cat cat", 0, 0, true, u"cat", u"dog", 1, u"concat dog cat", 11, 14},
      // The last match: the replacement stays selected.
      {u"Hello world", 5, 5, true, u"o", u"00", 0, u"Hello w00rld", 7, 9},
      // Nothing found first: the next match is found and replaced.
      {u"Hello world", 0, 0, false, u"o", u"0", 0, u"Hell0 world", 7, 8},
      // A selection that is a match is the current match, however it was
      // made (the mouse, a command): it is replaced first.
      {u"Hello world", 4, 5, false, u"o", u"0", 0, u"Hell0 world", 7, 8},
      {u"foo boo", 1, 2, false, u"o", u"0", 0, u"f0o boo", 2, 3},
      {u"concat cat cat", 7, 10, false, u"cat", u"dog", 1, u"concat dog cat", 11, 14},
      // A selection that is no whole match is passed over.
      {u"Hello world", 3, 5, false, u"o", u"0", 0, u"Hello w0rld", 7, 8},
      {u"concat cat", 3, 6, false, u"cat", u"dog", 1, u"concat dog", 7, 10},
      {u"foo boo", 1, 3, false, u"o", u"0", 0, u"foo b0o", 6, 7},
      // No replacement splits a character: the letter with its mark stays.
      {u"e\u0301 e e", 0, 0, true, u"e", u"x", 0, u"e\u0301 x e", 5, 6},
      {u"e\u0301 e\u0301 e", 0, 2, false, u"e", u"x", 0, u"e\u0301 e\u0301 x", 6, 7},
  };
  for (const Case& c : cases) {
    Load(c.text, c.selStart, c.selEnd);
    Find(c.pattern);
    Replace(c.by);
    parameters.wholeWord = c.whole;
    parameters.wrap = 0;
    if (c.findFirst) {
      ASSERT_TRUE(document->FindNext(parameters));
    }
    EXPECT_TRUE(document->ReplaceNext(parameters)) << "case " << (&c - cases);
    EXPECT_EQ(Text(), c.after) << "case " << (&c - cases);
    EXPECT_EQ(Selection(), Span(c.start, c.end)) << "case " << (&c - cases);
  }

  // A replacement that reads like the find text is not taken again, and
  // replace all after a find takes the match found too.
  Load(u"lol lol", 0, 0);
  Find(u"l");
  Replace(u"L");
  parameters.wholeWord = 0;
  ASSERT_TRUE(document->FindNext(parameters));
  const Bytes before = PartBytes();
  ASSERT_TRUE(document->ReplaceNext(parameters));
  EXPECT_EQ(Text(), u"Lol lol");
  EXPECT_EQ(Selection(), Span(2, 3));
  document->GetUndo()->Undo();
  EXPECT_EQ(PartBytes(), before);
  document->GetCurrentPart()->SetSelection(4, 4);
  ASSERT_TRUE(document->FindNext(parameters));
  EXPECT_EQ(document->ReplaceAll(parameters), 2);
  EXPECT_EQ(Text(), u"lol LoL");
  EXPECT_FALSE(document->ReplaceNext(parameters));
  EXPECT_EQ(Text(), u"lol LoL");
}

// Replaces every non-overlapping occurrence from the left, going on behind
// each replacement.
std::u16string ReplacedModel(std::u16string text, const std::u16string& find, const std::u16string& by) {
  for (size_t at = text.find(find); at != std::u16string::npos; at = text.find(find, at + by.size())) {
    text.replace(at, find.size(), by);
  }
  return text;
}

TEST_F(FindTest, SeededReplacementsMatchAModelAndUndoToTheFirstBytes) {
  std::mt19937 random(20261207);
  const std::u16string letters = u"aab c";
  std::u16string text;
  for (int i = 0; i < 600; ++i) text.push_back(i % 97 == 96 ? u'\r' : letters[random() % letters.size()]);
  Load(text, 0, 0);
  const Bytes first = PartBytes();
  parameters.caseSensitive = 1;
  int undos = 0;
  for (int round = 0; round < 12; ++round) {
    std::u16string find;
    std::u16string by;
    for (uint32_t n = 1 + random() % 3; n > 0; --n) find.push_back(letters[random() % 4]);
    for (uint32_t n = random() % 4; n > 0; --n) by.push_back(u"xaby"[random() % 4]);
    parameters.findText.SetUniChars(find.data(), 0, int32_t(find.size()));
    parameters.replaceText.SetUniChars(by.data(), 0, int32_t(by.size()));
    const std::u16string expected = ReplacedModel(text, find, by);
    const int32_t count = document->ReplaceAll(parameters);
    SCOPED_TRACE(round);
    ASSERT_EQ(Text(), expected);
    if (count > 0) ++undos;
    text = expected;
  }
  for (int i = 0; i < undos; ++i) document->GetUndo()->Undo();
  EXPECT_EQ(PartBytes(), first);
}

}  // namespace
