// Tests of the find matcher (restarts after a mismatch, whole words, soft
// hyphens, tab elements, case folding, property runs) and of the
// search over a stored document (markers in both byte orders, elements cut
// short, blocks that are no stored document).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/xMorvaFind.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/tests/IntlTestTables.h"

namespace {

// Stand-ins for elements in the test texts.
constexpr char16_t kTabMark = 0xE000;
constexpr char16_t kHyphenMark = 0xE001;
constexpr char16_t kBreakMark = 0xE002;

// As in the module's table: combining marks, Greek, CJK ideographs and
// Hangul are word characters too, and the two units of an ideograph
// beyond the BMP.
bool TestWord(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == 0xE9 ||
         c == 0xC9 || (c >= 0x0300 && c <= 0x03FF) || (c >= 0x0620 && c <= 0x06D3) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xFE00 && c <= 0xFE0F) || IsWordUnitBesideTheTable(c);
}

uint16_t ElementOf(char16_t mark) {
  return mark == kTabMark ? 16000 : mark == kHyphenMark ? 24002 : 24004;
}

std::u16string Repeated(const std::u16string& text, int times) {
  std::u16string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

struct Found {
  bool found;
  int32_t start;
  int32_t end;
};

// Feeds the text from position 0 with `previous` before it.
Found Match(const std::u16string& pattern, const std::u16string& text, bool whole, bool caseSensitive,
            char16_t previous = u' ') {
  xMorvaTextMatcher matcher(pattern, whole, caseSensitive, TestWord, previous, 0);
  for (size_t i = 0; i < text.size() && !matcher.IsFound(); ++i) {
    const char16_t c = text[i];
    if (c >= kTabMark && c <= kBreakMark) {
      matcher.Element(ElementOf(c), true);
    } else {
      matcher.Character(c, true);
    }
  }
  matcher.Finish(0);
  return {matcher.IsFound(), matcher.MatchStart(), matcher.MatchEnd()};
}

TEST(FindMatcher, MatchesUnderTheRules) {
  struct Case {
    const char16_t* pattern;
    std::u16string text;
    bool whole;
    bool caseSensitive;
    int32_t start;  // -1: not found
    int32_t end;
  };
  const std::u16string aRun(300, u'a');
  const Case cases[] = {
      {u"aab", u"aaab", false, false, 1, 4},
      // A mismatching character is tried again as a new start.
      {u"abc", u"ababc", false, false, 2, 5},
      {u"abab", u"abaabab", false, false, 3, 7},
      {u"aaa", u"aaaa", false, false, 0, 3},
      {u"ABC", u"xabc", false, false, 1, 4},
      {u"ABC", u"xabc", false, true, -1, 0},
      {u"cat", u"concatenate", true, false, -1, 0},
      {u"cat", u"cats", true, false, -1, 0},
      {u"cat", u"cats cat", true, false, 5, 8},
      {u"cat", u"the cat", true, false, 4, 7},
      {u"cat", std::u16string(u"a cat") + kTabMark + u"x", true, false, 2, 5},
      // A Latin word and a CJK word touching are two words.
      {u"Tokyo", u"\u6771\u4EACTokyo\u6771\u4EAC", true, false, 2, 7},
      {u"\u6771\u4EAC", u"Tokyo\u6771\u4EACTokyo", true, false, 5, 7},
      // A combining mark goes with its letter; a character beyond the BMP
      // is judged by its code point; an emoji's low unit is no word's.
      {u"Cafe\u0301", u"Cafe\u0301\uC11C\uC6B8", true, false, 0, 5},
      {u"Cafe", u"Cafe\u0301\uC11C\uC6B8", true, false, -1, 0},
      {u"\uC11C\uC6B8", u"Cafe\u0301\uC11C\uC6B8", true, false, 5, 7},
      {u"\U00020B9F\U00020B9F", u"Tokyo\U00020B9F\U00020B9F", true, false, 5, 9},
      {u"\U00020B9F\U00020B9F", u"\u0391\u03B8\u03AE\u03BD\u03B1\U00020B9F\U00020B9F", true, false, 5, 9},
      {u"cat", u"\U0001F600cat", true, false, 2, 5},
      // So is a selector; a joiner between letters keeps them one word.
      {u"Tokyo", u"I \u2764\uFE0FTokyo, Tokyo", true, false, 4, 9},
      {u"\u062E\u0648\u0627\u0647\u0645", u"\u0645\u06CC\u200C\u062E\u0648\u0627\u0647\u0645", true, false, -1, 0},
      // Both ends of a match are edges of what a user sees as one
      // character: no letter without its marks, no half of a flag, no
      // emoji out of a joined family; a run of flags pairs from its start.
      {u"e", u"e\u0301", false, false, -1, 0},
      {u"привет", u"Скажи привет!", true, true, 6, 12},
      {u"źdźbło", u"Polskie źdźbło trawy", true, true, 8, 14},
      {u"λόγος", u"ἐν ἀρχῇ ἦν ὁ λόγος", true, true, 13, 18},
      {u"e", u"e\u0301 e", false, false, 3, 4},
      {u"e\u0301", u"cafe\u0301", false, false, 3, 5},
      {u"\u0301", u"e\u0301", false, false, -1, 0},
      {u"a", u"xa\u0323\u0302a", false, false, 4, 5},
      {u"\U0001F1EF", u"\U0001F1EF\U0001F1F5", false, false, -1, 0},
      {u"\U0001F1EF\U0001F1F5", u"\U0001F1F5\U0001F1EF\U0001F1F5", false, false, -1, 0},
      {u"\U0001F468", u"\U0001F468\u200D\U0001F469 \U0001F468", false, false, 6, 8},
      {u"\U0001F44D", u"\U0001F44D\U0001F3FD", false, false, -1, 0},
      {u"\U0001F1F5\U0001F1EF", Repeated(u"\U0001F1EF\U0001F1F5", 20), false, false, -1, 0},
      {u"\U0001F1F5x", Repeated(u"\U0001F1EF\U0001F1F5", 20) + u"\U0001F1F5x", false, false, 80, 83},
      {u"\U0001F1EB\U0001F1F7", Repeated(u"\U0001F1EF\U0001F1F5", 16) + u"\U0001F1EB\U0001F1F7",
       false, false, 64, 68},
      {u"\u0915", u"\u0915\xD83D\u093F", false, false, 0, 1},  // a high unit alone
      {u"\u0915\u094D", u"\u0915\u094D\u0937", false, false, -1, 0},
      {u"cafe", u"cafe\u0301 cafe", true, false, 6, 10},
      // Past a long run that no candidate met, and with spans longer than
      // the units a match keeps at hand, the ends are judged all the same.
      {u"cafe", std::u16string(300, u'x') + u"cafe\u0301 cafe", false, false, 306, 310},
      {u"\U0001F1F5x", Repeated(u"\U0001F1EF\U0001F1F5", 100) + u"\U0001F1F5x", false, false, 400, 403},
      {aRun.c_str(), u"b" + std::u16string(300, u'a') + u"\u0301", false, false, -1, 0},
      {aRun.c_str(), u"b" + std::u16string(301, u'a'), false, true, 1, 301},
      {u"CAT", std::u16string(300, u'x') + u" cat", true, false, 301, 304},
      {u"\ta", std::u16string(300, u'x') + kTabMark + u"a", false, false, 300, 302},
      {u"abc", u" \u0301abc", true, false, 2, 5},
      // A tab element matches a tab in the pattern.
      {u"a\tb", std::u16string(u"xa") + kTabMark + u"b", false, false, 1, 4},
      // A soft hyphen is passed over, and lies inside the span found.
      {u"concat", std::u16string(u"the con") + kHyphenMark + u"cat", false, false, 4, 11},
      // Other elements break a match.
      {u"ab", std::u16string(u"a") + kBreakMark + u"b", false, false, -1, 0},
      {u"ab", std::u16string(u"a") + kBreakMark + u"ab", false, false, 2, 4},
  };
  for (const Case& c : cases) {
    const Found found = Match(c.pattern, c.text, c.whole, c.caseSensitive);
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    ASSERT_EQ(found.found, c.start >= 0);
    if (c.start >= 0) {
      EXPECT_EQ(found.start, c.start);
      EXPECT_EQ(found.end, c.end);
    }
  }
}

TEST(FindMatcher, WholeWordStartedInsideAWordIsNotThere) {
  EXPECT_FALSE(Match(u"cat", u"cat", true, false, u'n').found);
  EXPECT_TRUE(Match(u"cat", u"cat", true, false, u' ').found);
  EXPECT_TRUE(Match(u"cat", u"cat", false, false, u'n').found);
}

TEST(FindMatcher, AccentedLettersFoldThroughTheCaseTables) {
  FakeIntlMgr tables;
  AddTestTables(tables, 0, false);
  tables.LoadTables(kLanguageUSEnglish);
  VIntlMgr* saved = gIntlMgr;
  gIntlMgr = &tables;
  EXPECT_EQ(FoldCaseUnit(0xE9), 0xC9);
  const Found found = Match(u"caf\u00E9", u"un CAF\u00C9", true, false);
  EXPECT_TRUE(found.found);
  EXPECT_EQ(found.start, 3);
  EXPECT_FALSE(Match(u"caf\u00E9", u"un CAF\u00C9", true, true).found);
  gIntlMgr = saved;
}

// ---- The stored document.

using Bytes = std::vector<uint8_t>;

class StoredBlock {
 public:
  explicit StoredBlock(bool big) : fBig(big) {}
  StoredBlock& U16(uint16_t v) {
    if (fBig) {
      fBytes.push_back(uint8_t(v >> 8));
      fBytes.push_back(uint8_t(v));
    } else {
      fBytes.push_back(uint8_t(v));
      fBytes.push_back(uint8_t(v >> 8));
    }
    return *this;
  }
  StoredBlock& U32(uint32_t v) { return fBig ? U16(uint16_t(v >> 16)).U16(uint16_t(v)) : U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
  // The marker and a header of `header` bytes standing for the body header
  // and the store.
  StoredBlock& Head(uint32_t header) {
    U16(0).U16(kStoredStreamMarker).U32(header).U32(header);
    fBytes.insert(fBytes.end(), header, 0xAB);
    return *this;
  }
  StoredBlock& Text(const std::u16string& text) {
    for (char16_t c : text) U16(c);
    return *this;
  }
  StoredBlock& Record(uint16_t id, uint32_t value) { return U16(0).U16(id).U32(value); }
  StoredBlock& Element(uint16_t code, uint32_t length) {
    U16(0).U16(code).U32(length).U32(length);
    fBytes.insert(fBytes.end(), length, 0x61);  // payload bytes that look like text
    return *this;
  }
  const Bytes& bytes() const { return fBytes; }

 private:
  bool fBig;
  Bytes fBytes;
};

int32_t Search(const Bytes& bytes, const std::u16string& text, bool whole = false, bool caseSensitive = false) {
  return SearchStoredText(bytes.data(), uint32_t(bytes.size()), text, whole, caseSensitive, TestWord);
}

TEST(StoredSearch, FindsInBothByteOrders) {
  for (bool big : {false, true}) {
    StoredBlock block(big);
    block.Head(40).Text(u"ab").Record(0, 1).Text(u"ab").Element(16001, 20).Text(u"x").Element(24002, 2)
        .Text(u"ababc");
    // Positions count the header as one: "ab" of the body is at 1.
    EXPECT_EQ(Search(block.bytes(), u"ab"), 1) << big;
    EXPECT_EQ(Search(block.bytes(), u"bab"), 2) << big;  // a record breaks nothing
    EXPECT_EQ(Search(block.bytes(), u"abx"), -1) << big;
    // Past the picture (one position), the soft hyphen and the restart.
    EXPECT_EQ(Search(block.bytes(), u"abc"), 10) << big;
    EXPECT_EQ(Search(block.bytes(), u"xab"), 6) << big;
    EXPECT_EQ(Search(block.bytes(), u"ABABC", false, true), -1) << big;
    EXPECT_EQ(Search(block.bytes(), u"ababc", true), 8) << big;
  }
}

TEST(StoredSearch, RefusesWhatIsNoStoredDocument) {
  EXPECT_EQ(SearchStoredText(nullptr, 0, u"a", false, false, TestWord), kStoredTextNotAStream);
  for (const Bytes& bad : {Bytes{0, 0, 0x8E}, Bytes{1, 0, 0x8E, 0x8F}, Bytes{0, 0, 0x8E, 0x8E}}) {
    EXPECT_EQ(Search(bad, u"a"), kStoredTextNotAStream);
  }
  EXPECT_EQ(Search(Bytes{0, 0, 0x8E, 0x8F}, u"a"), kStoredTextNotFound);
}

TEST(StoredSearch, AnElementCutShortEndsTheWalk) {
  StoredBlock block(false);
  block.Head(8).Text(u"cat").Element(16001, 30);
  Bytes bytes = block.bytes();
  bytes.resize(bytes.size() - 10);  // the picture's payload runs past the end
  EXPECT_EQ(Search(bytes, u"cat", true), 1);
  EXPECT_EQ(Search(bytes, u"aaa"), -1);  // the payload is never read as text
  // Every cut of a block answers without reading past it.
  StoredBlock whole(true);
  whole.Head(6).Text(u"do").Record(3, 7).Element(16000, 0).Text(u"dog");
  for (size_t n = 0; n <= whole.bytes().size(); ++n) {
    const Bytes cut(whole.bytes().begin(), whole.bytes().begin() + n);
    const int32_t found = Search(cut, u"dog");
    EXPECT_TRUE(found == -1 || found == -2 || found == 4) << n;
  }
}

}  // namespace
