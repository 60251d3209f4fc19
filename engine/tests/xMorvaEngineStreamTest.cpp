// The element stream and the selection: item sizes, walks over bad streams,
// the cache point, the selection's paragraph, word and properties.
#include "engine/tests/EngineTestSupport.h"

#include <random>

namespace {

using StreamTest = EngineTest;
using SelectionTest = EngineTest;

TEST_F(StreamTest, ItemSizesForPositionAndTextWalkers) {
  struct Case {
    uint16_t code;
    uint32_t a, b, size, skip;
  } cases[] = {
      {kPropBold, 0, 0, 8, 8},
      {15999, 0, 0, 8, 8},
      {xMorvaElementCode::Tab, 20, 4, 32, 32},
      {23998, 6, 2, 18, 18},
      {23999, 6, 2, 18, 14},
      {xMorvaElementCode::PageNumber, 10, 4, 22, 16},
  };
  for (const Case& c : cases) {
    const Bytes bytes = c.code < kFirstElementCode ? Stream().Record(c.code, 1).bytes()
                                                   : Stream().Element(c.code, Bytes(c.a, 1), c.b).bytes();
    EXPECT_EQ(c.size, xMorvaEngine::ElementSize(bytes.data())) << c.code;
    EXPECT_EQ(c.skip, xMorvaEngine::ElementSkipSize(bytes.data())) << c.code;
  }
}

TEST_F(StreamTest, InsertAndDeleteReachUndoAsByteRecords) {
  Load(Stream().Text(u"ab"));
  engine.BeginUndoStep(kUndoPaste, 0);
  const uint16_t x = 'x';
  ASSERT_EQ(0, engine.InsertBytes(4u, &x, 2));
  engine.DeleteBytes(0, 2);
  engine.ReplaceBytes(2, "y", 2);
  engine.EndUndoStep(0);
  EXPECT_EQ(Stream().Text(u"by").bytes(), Bytes_());
  EXPECT_EQ(2 * int32_t(xMorvaUndo::kStepRecordSize) + 4 * (int32_t(xMorvaUndo::kByteRecordOverhead) + 2),
            undo.GetEnd());
  undo.Undo();
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  undo.Redo();
  EXPECT_EQ(Stream().Text(u"by").bytes(), Bytes_());
}

// Room reserved ahead takes insertions without changing the text, and what
// is not used goes back: the block holds exactly the bytes in use again.
TEST_F(StreamTest, ReservedCapacityTakesInsertionsAndIsGivenBack) {
  Load(Stream().Text(u"ab"));
  ASSERT_TRUE(engine.ReserveCapacity(64 * 1024));
  EXPECT_EQ(4u, engine.GetStreamSize());
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  const Bytes more = Stream().Text(u"cd").bytes();
  for (int i = 0; i < 100; ++i) ASSERT_EQ(0, engine.InsertBytes(engine.GetStreamSize(), more.data(), 4));
  engine.ReleaseCapacity();
  EXPECT_EQ(404u, engine.GetStreamSize());
  std::u16string text = u"ab";
  for (int i = 0; i < 100; ++i) text += u"cd";
  EXPECT_EQ(Stream().Text(text).bytes(), Bytes_());
  // A reserve past the largest text is refused.
  EXPECT_FALSE(engine.ReserveCapacity(uint32_t(INT32_MAX)));
  EXPECT_EQ(404u, engine.GetStreamSize());
}

TEST_F(StreamTest, ParagraphRecordPrimitives) {
  Load(Stream().Text(u"a\r").Record(kPropAlignment, 2).Record(kPropBold, 1).Text(u"b"));
  EXPECT_EQ(0u, engine.RemoveParagraphRecordsAt(12)) << "a character record first";
  EXPECT_EQ(4u, engine.FindParagraphEndFrom(0));
  xMorvaProperties properties;
  xMorvaTabs tabs;
  engine.ReadParagraphRecordsAt(4, properties, tabs);
  EXPECT_EQ(2, properties.GetProperty(kPropAlignment));
  EXPECT_EQ(0, properties.GetProperty(kPropBold));
  EXPECT_EQ(8u, engine.RemoveParagraphRecordsAt(4));
  EXPECT_EQ(Stream().Text(u"a\r").Record(kPropBold, 1).Text(u"b").bytes(), Bytes_());
  engine.SetSelection(0, 0);
  EXPECT_FALSE(engine.IsInLastParagraph());
  EXPECT_EQ(engine.GetStreamSize(), engine.FindParagraphEndFrom(4));
  EXPECT_TRUE(engine.IsInLastParagraph());
}

// Streams that end inside an item: every walk stops at the stream's end
// (the address sanitizer sees any read beyond it).
TEST_F(StreamTest, ItemsRunningPastTheStreamAreNeverReadPast) {
  const Bytes cases[] = {
      Stream().Text(u"ab").Head(xMorvaElementCode::Pict, 1000, 0).Raw({1, 2}),
      Stream().Text(u"ab").Head(xMorvaElementCode::PageNumber, 0xFFFFFFF8u, 0xFFFFFFF0u),
      Stream().Text(u"ab").Unit(0).Unit(xMorvaElementCode::Tab).Unit(4),
      Stream().Text(u"ab").Unit(0).Unit(kPropBold),
      Stream().Text(u"ab").Raw({'c'}),
  };
  for (const Bytes& bytes : cases) {
    Load(bytes);
    engine.SetSelection(0, 100);
    EXPECT_EQ(engine.GetStreamSize(), engine.GetSelEndOffset());
    EXPECT_EQ(engine.GetStreamSize(), engine.FindParagraphEndFrom(0));
    EXPECT_EQ(0, engine.GetMaxIndentSum());
    EXPECT_FALSE(engine.UsesPropertyValue(kPropBold, 7));
    engine.SetSelection(1, 1);
    EXPECT_EQ(0, engine.TypeCharacter('x'));
    EXPECT_EQ(0, engine.RemoveMarkers());
  }
}

// The runs of units a walker steps over at once end at the first unit
// that stops them, wherever it lies in a block of units, from any start;
// a unit whose low byte is 0 (U+0100, U+2000) stops neither run.
TEST(UnitRuns, EndAtTheFirstStoppingUnit) {
  struct Case {
    uint16_t unit;
    bool endsCharacters;  // 0 only
    bool endsOrdinary;    // below 32
  };
  const Case cases[] = {{0, true, true},        {13, false, true},      {31, false, true},
                        {1, false, true},       {32, false, false},     {0x0100, false, false},
                        {0x2000, false, false}, {0xFFFF, false, false}, {0x0120, false, false}};
  for (const Case& c : cases) {
    for (uint32_t start = 0; start < 6; ++start) {
      for (uint32_t place = start; place < 41; ++place) {
        Stream text;
        for (uint32_t i = 0; i < 41; ++i) text.Unit(i == place ? c.unit : u'a');
        const Bytes& bytes = text.bytes();
        const auto size = uint32_t(bytes.size());
        EXPECT_EQ(SkipCharacterUnits(bytes.data(), 2 * start, size), c.endsCharacters ? 2 * place : size)
            << c.unit << " at " << place << " from " << start;
        EXPECT_EQ(SkipOrdinaryUnits(bytes.data(), 2 * start, size), c.endsOrdinary ? 2 * place : size)
            << c.unit << " at " << place << " from " << start;
      }
    }
  }
  // A stray byte at the end is no unit.
  const Bytes odd = {'a', 0, 'b', 0, 'c'};
  EXPECT_EQ(SkipCharacterUnits(odd.data(), 0, 5), 4u);
  EXPECT_EQ(SkipOrdinaryUnits(odd.data(), 0, 5), 4u);
}

TEST_F(SelectionTest, ArgumentsAreClampedOrRefused) {
  struct Case {
    int32_t start, end, wantStart, wantEnd;
    const char16_t* text = u"abcd";
    // No end inside a pair: a start or caret before it, an end after.
    // Nor inside a cluster: a letter with its mark, a flag, a skin-toned
    // or joined emoji, a heart with its selector, a syllable of jamo.
  } cases[] = {{2, 2, 1, 1, u"a\U0001F642b"}, {0, 2, 0, 3, u"a\U0001F642b"}, {2, 4, 1, 5, u"a\U0001F642\U0001F642"},
               {2, 2, 1, 1, u"xe\u0301y"}, {0, 2, 0, 3, u"xe\u0301y"}, {3, 3, 1, 1, u"x\U0001F1EF\U0001F1F5"},
               {1, 2, 1, 5, u"x\U0001F1EF\U0001F1F5"}, {3, 4, 1, 5, u"x\U0001F44D\U0001F3FDy"},
               {4, 6, 0, 8, u"\U0001F468\u200D\U0001F469\u200D\U0001F467"}, {2, 2, 1, 1, u"I\u2764\uFE0F"},
               {2, 3, 0, 3, u"\u1100\u1161\u11A8 "},
               {-5, 10, 0, 4}, {3, 1, 3, 3}, {4, 4, 4, 4}, {9, 9, 4, 4}, {-1, -1, 0, 0}};
  for (const Case& c : cases) {
    Load(Stream().Text(c.text));
    engine.SetSelection(c.start, c.end);
    EXPECT_EQ(c.wantStart, engine.GetSelStart()) << c.start << "," << c.end;
    EXPECT_EQ(c.wantEnd, engine.GetSelEnd()) << c.start << "," << c.end;
  }
  engine.SetSelection(1, 2);
  EXPECT_FALSE(engine.TrySetSelection(-1, 2));
  EXPECT_FALSE(engine.TrySetSelection(3, 1));
  EXPECT_EQ(1, engine.GetSelStart());
  EXPECT_TRUE(engine.TrySetSelection(2, 50));
  EXPECT_EQ(4, engine.GetSelEnd());
}

TEST_F(SelectionTest, EmptyTextAndRecordsOnly) {
  for (const Bytes& bytes : {Bytes(), Stream().Record(kPropBold, 1).Record(kPropAlignment, 1).bytes()}) {
    Load(bytes, 0, 5);
    EXPECT_EQ(0, engine.GetLength());
    EXPECT_EQ(0, engine.GetSelEnd());
    EXPECT_EQ(0, engine.GetParagraphStart());
    EXPECT_EQ(0, engine.GetParagraphEnd());
    EXPECT_TRUE(engine.IsInLastParagraph());
  }
}

TEST_F(SelectionTest, ParagraphsBreaksAndPictures) {
  const Bytes picture = {1, 2, 3, 4};
  Load(Stream()
           .Text(u"ab\r")
           .Record(kPropAlignment, 1)
           .Record(kPropItalic, 1)
           .Text(u"cd")
           .Element(xMorvaElementCode::Pict, picture)
           .Element(xMorvaElementCode::PageBreak, {13, 0})
           .Text(u"e"));
  engine.SetSelection(2, 3);  // the paragraph end
  EXPECT_TRUE(engine.SelectionEndsWithParagraphEnd());
  EXPECT_EQ(1, engine.GetSelParagraphEndCount());
  EXPECT_EQ(8u, engine.GetParagraphRecordBytes());
  EXPECT_EQ(14u, engine.GetParagraphEndOffset()) << "after the next paragraph's records";
  EXPECT_EQ(22u, engine.GetSelEndOffset()) << "after the records that follow";
  EXPECT_EQ(1, engine.GetTypingProperties().GetProperty(kPropAlignment));
  engine.SetSelection(5, 6);
  EXPECT_TRUE(engine.IsPictureSelected());
  engine.SetSelection(4, 6);
  EXPECT_FALSE(engine.IsPictureSelected());
  engine.SetSelection(4, 4);
  EXPECT_EQ(3, engine.GetParagraphStart());
  EXPECT_EQ(7, engine.GetParagraphEnd()) << "the break ends the paragraph";
  EXPECT_EQ(1, engine.GetCurrentProperties().GetProperty(kPropAlignment));
  engine.SetSelection(5, 7);
  EXPECT_EQ(1, engine.GetSelBreakCount());
  EXPECT_TRUE(engine.SelectionEndsWithParagraphEnd());
  engine.SetSelection(7, 7);
  EXPECT_EQ(7, engine.GetParagraphStart());
  EXPECT_EQ(1, engine.GetCurrentProperties().GetProperty(kPropAlignment)) << "in effect until changed";
  EXPECT_EQ(1, engine.GetCurrentProperties().GetProperty(kPropItalic));
}

TEST_F(SelectionTest, OnePositionMoreMeasuresAsThatSelection) {
  // A selection ending at its paragraph's end, and what follows it: a
  // paragraph, an empty one, a letter with its mark, a pair, a break.
  struct Case {
    Bytes text;
    int32_t end;
  };
  const Case cases[] = {
      {Stream().Text(u"ab\r").Record(kPropAlignment, 1).Record(kPropItalic, 1).Text(u"cd\r").Text(u"e"), 3},
      {Stream().Text(u"ab\r\r").Record(kPropAlignment, 2).Record(kPropBold, 1).Record(kPropLeftIndent, 20).Text(u"x"), 3},
      {Stream().Text(u"ab\re\u0301f\r").Record(kPropAlignment, 1).Text(u"g"), 3},
      {Stream().Text(u"ab\r\U0001F600x\r"), 3},
      {Stream().Text(u"ab\r").Element(xMorvaElementCode::PageBreak, {13, 0}).Record(kPropAlignment, 2).Text(u"e"), 3},
      {Stream().Text(u"ab\r").Record(kPropAlignment, 1).Text(u"cd"), 3},
  };
  for (const Case& c : cases) {
    Load(c.text);
    engine.SetSelection(0, c.end + 1);
    const uint32_t endOffset = engine.GetParagraphEndOffset();
    const uint32_t recordBytes = engine.GetParagraphRecordBytes();
    engine.SetSelection(0, c.end);
    uint32_t measuredEnd = 0, measuredRecords = 0;
    engine.MeasureOnePositionMore(measuredEnd, measuredRecords);
    EXPECT_EQ(measuredEnd, endOffset) << &c - cases;
    EXPECT_EQ(measuredRecords, recordBytes) << &c - cases;
    EXPECT_EQ(engine.GetSelEnd(), c.end);
  }
}

TEST_F(SelectionTest, RecordsAtTheStartAreUniformLaterOnesMixed) {
  Load(Stream().Text(u"a").Record(kPropBold, 1).Text(u"b").Record(kPropItalic, 1).Text(u"c"));
  engine.SetSelection(1, 3);
  EXPECT_EQ(1, engine.GetPropertyState(kPropBold));
  EXPECT_EQ(0, engine.GetPropertyState(kPropItalic));
  EXPECT_EQ(1, engine.GetPropertyValue(kPropBold));
  EXPECT_EQ(2, engine.GetPlainStyleState());
  engine.SetSelection(1, 1);
  EXPECT_EQ(0, engine.GetPropertyValue(kPropBold)) << "a caret shows the look before it";
  EXPECT_EQ(1, engine.GetTypingProperties().GetProperty(kPropBold));
  EXPECT_EQ(1, engine.GetPlainStyleState());
  engine.SetSelection(0, 0);
  EXPECT_EQ(0, engine.GetPropertyValue(kPropBold));
}

TEST_F(SelectionTest, WordBounds) {
  struct Case {
    std::u16string text;
    int32_t start, end, wordStart, wordEnd;
    bool spaceAtEnd;
  } cases[] = {
      {u"abc.", 3, 3, 3, 4, false},
      {u"abc def", 1, 1, 0, 4, true},
      {u"abc def", 5, 5, 4, 7, false},
      {u"abc\r", 3, 3, 3, 4, false},
      {u"ab cd ef", 1, 4, 0, 6, true},
      // A Latin word between CJK words is a word of its own.
      {u"\u6771\u4EACTokyo\u6771\u4EAC", 4, 4, 2, 7, false},
      // A combining mark goes with its letter, an ideograph beyond the BMP
      // is CJK, an emoji's low unit is no word's.
      {u"Cafe\u0301\uC11C\uC6B8", 2, 2, 0, 5, false},
      {u"Cafe\u0301\uC11C\uC6B8", 0, 5, 0, 5, false},
      {u"Tokyo\U00020B9F\U00020B9F", 7, 7, 5, 9, false},
      {u"a\U0001F600cat", 4, 4, 3, 6, false},
      // A caret before or inside an emoji: the emoji. A selector after no
      // word is none's, a joiner goes with its letter; marks at 256 and 512.
      {u"\U0001F642ab", 0, 0, 0, 2, false},
      {u"a\U0001F642b", 2, 2, 1, 3, false},
      {u"I \u2764\uFE0FTokyo, Tokyo", 6, 6, 4, 9, false},
      {u"\u0645\u06CC\u200C\u062E\u0648\u0627\u0647\u0645", 5, 5, 0, 8, false},
      {u"\u0645\u06CC\u200D\u062E\u0648\u0627\u0647\u0645 x", 1, 1, 0, 9, true},
      {std::u16string(254, u'a') + u" \U0001F642Tokyo", 259, 259, 257, 262, false},
      {std::u16string(510, u'a') + u" \U0001F642Tokyo", 515, 515, 513, 518, false},
      // A cluster is wholly in the word of its first unit: a caret before
      // an emoji takes it with its skin tone, its selector, the emoji
      // joined to it or the flag's other half; a mark after a character of
      // no word is no word's.
      {u"\U0001F44D\U0001F3FDKyoto", 0, 0, 0, 4, false},
      {u"I \u2764\uFE0FKobe", 2, 2, 2, 4, false},
      {u"\U0001F1EF\U0001F1F5Osaka", 0, 0, 0, 4, false},
      {u"\U0001F468\u200D\U0001F469\u200D\U0001F467Nara", 0, 0, 0, 8, false},
      {u"!\u093Eab", 3, 3, 2, 4, false},
  };
  for (const Case& c : cases) {
    // From the start, and from the marks a walk to the end leaves.
    for (const bool marked : {false, true}) {
      Load(Stream().Text(c.text), marked ? int32_t(c.text.size()) : 0);
      engine.SetSelection(c.start, c.end);
      EXPECT_EQ(c.wordStart, engine.GetWordStart()) << c.start << (marked ? " marked" : "");
      EXPECT_EQ(c.wordEnd, engine.GetWordEnd()) << c.start << (marked ? " marked" : "");
      EXPECT_EQ(c.spaceAtEnd, engine.SelectionEndsWithSpace()) << c.start;
    }
  }
}

// Words in runs longer than the walks step over at once, with a tab, a
// comma and a space between them: a caret in a word finds the word's
// bounds (the space after it included) wherever it stands in the run.
TEST_F(SelectionTest, WordBoundsInLongRuns) {
  const std::u16string text = std::u16string(40, u'a') + u" " + std::u16string(30, u'b') + u"\t" +
                              std::u16string(17, u'c') + u"," + std::u16string(20, u'd');
  Load(Stream().Text(text));
  for (int32_t caret = 1; caret < int32_t(text.size()); ++caret) {
    if (text[size_t(caret)] < u'a' || text[size_t(caret - 1)] < u'a') continue;
    int32_t start = caret;
    while (start > 0 && text[size_t(start - 1)] >= u'a') --start;
    int32_t end = caret;
    while (end < int32_t(text.size()) && text[size_t(end)] >= u'a') ++end;
    if (end < int32_t(text.size()) && text[size_t(end)] == u' ') ++end;  // a word takes the space after it
    engine.SetSelection(caret, caret);
    EXPECT_EQ(start, engine.GetWordStart()) << caret;
    EXPECT_EQ(end, engine.GetWordEnd()) << caret;
  }
}

TEST_F(SelectionTest, TheCachePointFollowsTargetsFarAway) {
  std::u16string text;
  for (int i = 0; i < 300; ++i) text += u"abcdefg\r";
  Load(Stream().Record(kPropAlignment, 2).Text(text));
  engine.SetSelection(1000, 1000);
  ASSERT_EQ(1000 - 512, engine.GetCachePosition());
  engine.SetSelection(488 + 540, 488 + 540);
  EXPECT_EQ(488, engine.GetCachePosition()) << "540 after the point: no new point";
  EXPECT_EQ(8 + 1028 * 2u, engine.GetSelStartOffset());
  EXPECT_EQ(2, engine.GetCurrentProperties().GetProperty(kPropAlignment));
  engine.SetSelection(488 + 700, 488 + 700);
  EXPECT_EQ(488 + 700 - 512, engine.GetCachePosition()) << "700 after: a new point at target - 512";
  engine.SetSelection(100, 100);
  EXPECT_EQ(0, engine.GetCachePosition()) << "target - 512 below 0 drops the point";
  EXPECT_EQ(96, engine.GetParagraphStart());
}

// Selections and edits at random places: every selection resumed from the
// cache point finds what a walk from the start finds.
TEST_F(SelectionTest, TheCachedWalkAgreesWithAWalkFromTheStart) {
  std::mt19937 random(7);
  auto pick = [&](int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); };
  Stream stream;
  for (int paragraph = 0; paragraph < 120; ++paragraph) {
    if (pick(0, 2) == 0) stream.Record(kPropAlignment, pick(0, 3)).Tab(int16_t(pick(1, 9) * 20), kTabLeft);
    for (int i = pick(20, 120); i > 0; --i) {
      const int kind = pick(0, 40);
      if (kind == 0) stream.Record(kPropBold, pick(0, 1));
      else if (kind == 1) stream.Element(xMorvaElementCode::Tab, Bytes(8, 0));
      else if (kind == 2) stream.Element(xMorvaElementCode::PageNumber, Stream().Long(0).Text(u"12"), 4);
      // Pairs, selectors and joiners wherever the marks fall.
      else if (kind <= 4) stream.Text(kind == 3 ? u"\U0001F642\u2764\uFE0F" : u"\u200C\U00020B9F");
      else stream.Unit(pick(0, 5) == 0 ? u' ' : char16_t(u'a' + pick(0, 25)));
    }
    stream.Unit(pick(0, 15) == 0 ? u'\x2000' : u'\r');
  }
  Load(stream);
  xMorvaEngine reference(nullptr, xMorvaEngine::kPartGranule);
  int resumed = 0;
  for (int round = 0; round < 300; ++round) {
    const int32_t length = engine.GetLength();
    const int32_t start = pick(0, length);
    const int32_t end = pick(0, 3) == 0 ? start : std::min(length, start + pick(0, 300));
    engine.SetSelection(start, end);
    switch (pick(0, 8)) {
      case 0: ASSERT_EQ(0, engine.TypeCharacter(u'k')); break;
      case 1: ASSERT_EQ(0, engine.DeleteSelection()); break;
      case 2: ASSERT_EQ(0, engine.SetPropertyValue(kPropItalic, pick(0, 1))); break;
      default: break;
    }
    const int32_t target = pick(0, engine.GetLength());
    if (engine.GetCachePosition() != 0 && engine.GetCachePosition() < target) ++resumed;
    engine.SetSelection(target, pick(0, engine.GetLength()));
    const Bytes bytes = Bytes_();
    reference.Clear();
    reference.InsertBytes(0u, bytes.data(), uint32_t(bytes.size()));
    reference.SetLength(engine.GetLength());
    reference.SetSelection(engine.GetSelStart(), engine.GetSelEnd());
    ASSERT_EQ(PositionsOf(bytes), engine.GetLength()) << round;
    ASSERT_EQ(reference.GetSelStartOffset(), engine.GetSelStartOffset()) << round;
    ASSERT_EQ(reference.GetSelEndOffset(), engine.GetSelEndOffset()) << round;
    ASSERT_EQ(reference.GetParagraphStartOffset(), engine.GetParagraphStartOffset()) << round;
    ASSERT_EQ(reference.GetParagraphEndOffset(), engine.GetParagraphEndOffset()) << round;
    ASSERT_EQ(reference.GetParagraphStart(), engine.GetParagraphStart()) << round;
    ASSERT_EQ(reference.GetWordStart(), engine.GetWordStart()) << round;
    ASSERT_EQ(reference.GetWordEnd(), engine.GetWordEnd()) << round;
    ASSERT_FALSE(reference.GetCurrentTabs().IsDifferent(engine.GetCurrentTabs())) << round;
    for (uint16_t id = 0; id <= kLastParagraphProperty; ++id) {
      ASSERT_EQ(reference.GetPropertyValue(id), engine.GetPropertyValue(id)) << round << " id " << id;
      ASSERT_EQ(reference.GetPropertyState(id), engine.GetPropertyState(id)) << round << " id " << id;
    }
  }
  EXPECT_GT(resumed, 100) << "walks resumed from the cache point";
}

}  // namespace
