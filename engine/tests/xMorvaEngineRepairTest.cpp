// Repair of loaded streams (bad and redundant items, misplaced paragraph
// records) and the selections by paragraph, run and element number.
#include "engine/tests/EngineTestSupport.h"

namespace {

using RepairTest = EngineTest;
using SelectByNumberTest = EngineTest;

Bytes Units(const std::u16string& text) { return Stream().Text(text); }

constexpr int32_t kFonts = 3;

TEST_F(RepairTest, MendsOrDropsWhatItCannotKeep) {
  struct Case {
    const char* name;
    Bytes input;
    Bytes expected;
    bool damaged;
  };
  Stream pageNumber;
  Computed(pageNumber, xMorvaElementCode::PageNumber, {0, 0, 0, 0}, Units(u"12"), Units(u"#"));
  Stream pageNumberShown;
  Computed(pageNumberShown, xMorvaElementCode::PageNumber, {0, 0, 0, 0}, Units(u"xx"), Units(u"#"));
  Stream badFlag;
  Computed(badFlag, xMorvaElementCode::DateTime, {5, 0}, Units(u"d"), Units(u"s"), 2);
  Stream oddText;
  Computed(oddText, xMorvaElementCode::DateTime, {5, 0}, Bytes{'d'}, Units(u"s"));
  // A source text with its look records: they belong to the element and
  // are no redundant records of the text around it.
  Stream looks;
  Computed(looks, xMorvaElementCode::ExprQv, {1, 2}, Units(u"r"),
           Stream().Record(kPropLinkLook, 3).Text(u"f").Record(kPropLinkLook, 0), 1);
  const Case cases[] = {
      {"cut record", Stream().Text(u"ab").Unit(0).Unit(kPropBold).Unit(1), Stream().Text(u"ab"), true},
      {"odd tail", Bytes{'a', 0, 'b'}, Stream().Text(u"a"), true},
      {"control unit", Stream().Text(u"a\tb\r"), Stream().Text(u"a?b\r"), true},
      {"bold twice", Stream().Record(kPropBold, 1).Text(u"a").Record(kPropBold, 1).Text(u"b"),
       Stream().Record(kPropBold, 1).Text(u"ab"), false},
      {"default value", Stream().Record(kPropFont, 1).Text(u"a"), Stream().Text(u"a"), false},
      {"font 0", Stream().Record(kPropFont, 0).Text(u"a"), Stream().Text(u"a"), true},
      {"font past table", Stream().Record(kPropFont, kFonts + 1).Text(u"a"), Stream().Text(u"a"), true},
      {"last font", Stream().Record(kPropFont, kFonts).Text(u"a"), Stream().Record(kPropFont, kFonts).Text(u"a"),
       false},
      {"unknown id", Stream().Record(20, 1).Text(u"a"), Stream().Text(u"a"), true},
      {"colour too wide", Stream().Record(kPropTextColour, 1 << 24).Text(u"a"), Stream().Text(u"a"), true},
      {"no colour", Stream().Record(kPropTextColour, -1).Text(u"a"),
       Stream().Record(kPropTextColour, -1).Text(u"a"), false},
      {"tab leader", Stream().Tab(10, kTabLeft, 5).Text(u"a"), Stream().Text(u"a"), true},
      {"tab added twice", Stream().Tab(10, kTabLeft).Tab(10, kTabLeft).Text(u"a"),
       Stream().Tab(10, kTabLeft).Text(u"a"), false},
      // A paragraph starts with the stops of the one before it.
      {"stop the paragraph before has", Stream().Tab(10, kTabLeft).Text(u"a\r").Tab(10, kTabLeft).Text(u"b"),
       Stream().Tab(10, kTabLeft).Text(u"a\r").Text(u"b"), false},
      {"removal at the next paragraph", Stream().Tab(10, kTabLeft).Text(u"a\r").Tab(10, kTabNone).Text(u"b"),
       Stream().Tab(10, kTabLeft).Text(u"a\r").Tab(10, kTabNone).Text(u"b"), false},
      {"removal of no stop", Stream().Tab(10, kTabNone).Text(u"a"), Stream().Text(u"a"), false},
      {"unknown element", Stream().Text(u"a").Element(20000, {1, 2}).Text(u"b"), Stream().Text(u"ab"), true},
      {"element past end", Stream().Text(u"a").Head(xMorvaElementCode::Pict, 100, 0).Raw(Bytes(30, 0)),
       Stream().Text(u"a"), true},
      {"tab of old layout", Stream().Element(xMorvaElementCode::Tab, Bytes(10, 0)).Text(u"a"), Stream().Text(u"a"),
       true},
      {"b above a", Stream().Element(xMorvaElementCode::SoftHyphen, Units(u"\u00AD"), 4).Text(u"a"),
       Stream().Text(u"a"), true},
      {"half a unit shown", Stream().Element(xMorvaElementCode::SoftHyphen, Units(u"\u00AD"), 1).Text(u"a"),
       Stream().Text(u"a"), true},
      {"break payload", Stream().Element(xMorvaElementCode::PageBreak, Units(u"x")).Text(u"a"),
       Stream().Text(u"a"), true},
      {"order flag 2", Stream().Text(u"a").Raw(badFlag), Stream().Text(u"a"), true},
      {"odd text", Stream().Text(u"a").Raw(oddText), Stream().Text(u"a"), true},
      {"page number shows x", Stream().Raw(pageNumber), pageNumberShown, false},
      {"looks inside element", Stream().Text(u"a").Raw(looks).Text(u"b"), Stream().Text(u"a").Raw(looks).Text(u"b"),
       false},
      {"paragraph record moved", Stream().Text(u"a\rb").Record(kPropAlignment, 2).Text(u"c"),
       Stream().Text(u"a\r").Record(kPropAlignment, 2).Text(u"bc"), false},
      {"moved ahead of the start's records, last first",
       Stream().Record(kPropAlignment, 1).Text(u"a").Record(kPropInterline, 20).Record(kPropBullet, 40).Text(u"b"),
       Stream().Record(kPropBullet, 40).Record(kPropInterline, 20).Record(kPropAlignment, 1).Text(u"ab"), false},
      {"after a character record", Stream().Record(kPropBold, 1).Record(kPropAlignment, 1).Text(u"a"),
       Stream().Record(kPropAlignment, 1).Record(kPropBold, 1).Text(u"a"), false},
      // The records at a paragraph's start stand after those moved there and
      // win: a moved record they, or one moved before it, override goes.
      {"moved where the start sets it",
       Stream().Record(kPropAlignment, 2).Text(u"a").Record(kPropAlignment, 0).Text(u"b"),
       Stream().Record(kPropAlignment, 2).Text(u"ab"), false},
      {"moved twice in one paragraph",
       Stream().Text(u"a").Record(kPropAlignment, 1).Text(u"b").Record(kPropAlignment, 2).Text(u"c"),
       Stream().Record(kPropAlignment, 1).Text(u"abc"), false},
      {"moved stop the start sets", Stream().Tab(10, kTabLeft).Text(u"a").Tab(10, kTabNone).Text(u"b"),
       Stream().Tab(10, kTabLeft).Text(u"ab"), false},
      {"moved stop at another position",
       Stream().Tab(10, kTabLeft).Text(u"a").Tab(20, kTabRight).Text(u"b"),
       Stream().Tab(20, kTabRight).Tab(10, kTabLeft).Text(u"ab"), false},
      // The value in force after the paragraph is the one its start set, so
      // the next paragraph's own record is no repeat.
      {"the start's value goes on",
       Stream().Record(kPropAlignment, 2).Text(u"a").Record(kPropAlignment, 0).Text(u"b\r").Record(kPropAlignment, 0).Text(u"c"),
       Stream().Record(kPropAlignment, 2).Text(u"ab\r").Record(kPropAlignment, 0).Text(u"c"), false},
      // A break ends its paragraph: the next paragraph's records stay.
      {"record after a break",
       Stream().Text(u"a").Element(xMorvaElementCode::PageBreak, Units(u"\r")).Record(kPropAlignment, 2).Text(u"b"),
       Stream().Text(u"a").Element(xMorvaElementCode::PageBreak, Units(u"\r")).Record(kPropAlignment, 2).Text(u"b"),
       false},
  };
  for (const Case& c : cases) {
    Load(c.input);
    bool damaged = !c.damaged;
    const bool unchanged = engine.RepairStream(kFonts, {1}, damaged);
    EXPECT_EQ(c.expected, Bytes_()) << c.name;
    EXPECT_EQ(c.damaged, damaged) << c.name;
    // Page-number digits put back to placeholders are no repair.
    const bool onlyDigits = std::string(c.name) == "page number shows x";
    EXPECT_EQ(c.input == c.expected || onlyDigits, unchanged) << c.name;
    EXPECT_EQ(PositionsOf(c.expected), engine.GetLength()) << c.name;
    // A repaired text needs no further repair.
    EXPECT_TRUE(engine.RepairStream(kFonts, {1}, damaged)) << c.name;
    EXPECT_FALSE(damaged) << c.name;
    EXPECT_EQ(c.expected, Bytes_()) << c.name;
  }
}

TEST_F(RepairTest, ElementSizesDoNotWrapNearFourGigabytes) {
  const Bytes head = Stream().Head(xMorvaElementCode::PageNumber, 0xFFFFFFF8u, 0xFFFFFFF6u);
  EXPECT_EQ(UINT32_MAX, xMorvaEngine::ElementSize(head.data()));
  EXPECT_EQ(UINT32_MAX, xMorvaEngine::ElementSkipSize(head.data()));
  // Nor does the repair take such an element for a short one.
  Load(Stream().Text(u"a").Raw(head).Text(u"bcd"));
  bool damaged = false;
  engine.RepairStream(kFonts, {1}, damaged);
  EXPECT_TRUE(damaged);
  EXPECT_EQ(Units(u"a"), Bytes_());
}

TEST_F(RepairTest, MissingSheetTwoRaisesEverySheetRecord) {
  Load(Stream().Record(kPropStyleSheet, 2).Text(u"a\r").Record(kPropStyleSheet, 1).Text(u"b"));
  bool damaged = true;
  EXPECT_FALSE(engine.RepairStream(kFonts, {1, 3}, damaged));
  EXPECT_FALSE(damaged);
  EXPECT_EQ(Stream().Record(kPropStyleSheet, 3).Text(u"a\r").Record(kPropStyleSheet, 2).Text(u"b").bytes(),
            Bytes_());
  // An unknown sheet other than 2 is damage.
  Load(Stream().Record(kPropStyleSheet, 7).Text(u"a"));
  engine.RepairStream(kFonts, {1}, damaged);
  EXPECT_TRUE(damaged);
  EXPECT_EQ(Stream().Text(u"a").bytes(), Bytes_());
}

TEST_F(RepairTest, ManyMovedRecordsKeepTheirParagraphs) {
  // Every paragraph carries a record in its middle; each lands at its own
  // paragraph's start, after the previous paragraph's end.
  Stream input;
  Stream expected;
  for (int i = 0; i < 200; ++i) {
    input.Text(u"ab").Record(kPropLeftIndent, 10 + i).Text(u"c\r");
    expected.Record(kPropLeftIndent, 10 + i).Text(u"abc\r");
  }
  Load(input);
  bool damaged = true;
  EXPECT_FALSE(engine.RepairStream(kFonts, {1}, damaged));
  EXPECT_FALSE(damaged);
  EXPECT_EQ(expected.bytes(), Bytes_());
}

TEST_F(SelectByNumberTest, Paragraphs) {
  struct Case {
    const char16_t* text;
    int32_t n, m;
    bool selected;
    int32_t start, end;
  } cases[] = {
      {u"ab\rcd\ref", 2, 1, false, 0, 0},  {u"abc", 1, 1, true, 0, 3},     {u"a\rb", 1, 3, false, 0, 0},
      {u"ab\rcd\ref", 2, 2, true, 3, 6},   {u"ab\rcd\ref", 2, 3, true, 3, 8}, {u"ab\rcd\r", 1, 1, true, 0, 3},
      {u"ab\rcd\ref", 0, 1, false, 0, 0},
  };
  for (const Case& c : cases) {
    Load(Stream().Record(kPropBold, 1).Text(c.text), 1, 1);
    EXPECT_EQ(c.selected, engine.SelectParagraphs(c.n, c.m)) << c.n << " " << c.m;
    EXPECT_EQ(c.selected ? c.start : 1, engine.GetSelStart()) << c.n << " " << c.m;
    EXPECT_EQ(c.selected ? c.end : 1, engine.GetSelEnd()) << c.n << " " << c.m;
  }
}

TEST_F(SelectByNumberTest, ElementsAndRuns) {
  Load(Stream()
           .Text(u"ab")
           .Element(xMorvaElementCode::PageBreak, Units(u"\r"))
           .Record(kPropAlignment, 1)
           .Record(kPropBold, 1)
           .Text(u"cd")
           .Record(kPropItalic, 1)
           .Text(u"e"));
  EXPECT_TRUE(engine.SelectElement(xMorvaElementCode::PageBreak, 1));
  EXPECT_EQ(2, engine.GetSelStart());
  EXPECT_EQ(3, engine.GetSelEnd());
  EXPECT_TRUE(engine.SelectionHasElement(xMorvaElementCode::PageBreak));
  EXPECT_FALSE(engine.SelectElement(xMorvaElementCode::PageBreak, 2));
  EXPECT_EQ(2, engine.GetSelStart());

  struct Case {
    int which;  // 0 format runs n..n, 1 paragraph runs, 2 character runs
    int32_t n;
    bool selected;
    int32_t start, end;
  } cases[] = {
      {0, 1, true, 0, 3}, {0, 2, true, 3, 5}, {0, 3, true, 5, 6}, {0, 4, false, 0, 0},
      {1, 1, true, 0, 3}, {1, 2, true, 3, 6}, {1, 3, false, 0, 0},
      {2, 2, true, 3, 5}, {2, 3, true, 5, 6},
  };
  for (const Case& c : cases) {
    engine.SetSelection(1, 1);
    const bool selected = c.which == 0   ? engine.SelectFormatRuns(c.n, c.n)
                          : c.which == 1 ? engine.SelectParagraphFormatRun(c.n)
                                         : engine.SelectCharacterFormatRun(c.n);
    EXPECT_EQ(c.selected, selected) << c.which << " " << c.n;
    EXPECT_EQ(c.selected ? c.start : 1, engine.GetSelStart()) << c.which << " " << c.n;
    EXPECT_EQ(c.selected ? c.end : 1, engine.GetSelEnd()) << c.which << " " << c.n;
  }
}

TEST_F(SelectByNumberTest, ElementsSelectedInTurnCountOnAndFollowChanges) {
  const Bytes breakUnits = Units(u"\r");
  Load(Stream()
           .Text(u"a")
           .Element(xMorvaElementCode::PageBreak, breakUnits)
           .Text(u"b")
           .Element(xMorvaElementCode::ColBreak, breakUnits)
           .Element(xMorvaElementCode::PageBreak, breakUnits)
           .Text(u"c")
           .Element(xMorvaElementCode::PageBreak, breakUnits));
  // In turn, then back to an earlier one, then another code.
  const struct {
    uint16_t code;
    int32_t n, start;
  } steps[] = {{xMorvaElementCode::PageBreak, 1, 1}, {xMorvaElementCode::PageBreak, 2, 4},
               {xMorvaElementCode::PageBreak, 2, 4}, {xMorvaElementCode::PageBreak, 3, 6},
               {xMorvaElementCode::PageBreak, 1, 1}, {xMorvaElementCode::ColBreak, 1, 3},
               {xMorvaElementCode::PageBreak, 3, 6}};
  for (const auto& step : steps) {
    EXPECT_TRUE(engine.SelectElement(step.code, step.n)) << step.n;
    EXPECT_EQ(step.start, engine.GetSelStart()) << step.code << " " << step.n;
  }
  EXPECT_FALSE(engine.SelectElement(xMorvaElementCode::PageBreak, 4));
  // Two units inserted before the second break move it and the third.
  EXPECT_TRUE(engine.SelectElement(xMorvaElementCode::PageBreak, 2));
  const Bytes two = Units(u"xy");
  ASSERT_EQ(0, engine.InsertBytes(0, two.data(), uint32_t(two.size())));
  engine.SetLength(engine.GetLength() + 2);
  EXPECT_TRUE(engine.SelectElement(xMorvaElementCode::PageBreak, 3));
  EXPECT_EQ(8, engine.GetSelStart());
  EXPECT_TRUE(engine.SelectElement(xMorvaElementCode::PageBreak, 2));
  EXPECT_EQ(6, engine.GetSelStart());
}

TEST_F(SelectByNumberTest, TabsAndBreakOpportunities) {
  const Bytes text = Stream().Text(u"ab").Element(xMorvaElementCode::Tab, Bytes(14, 0)).Text(u"c-d");
  Load(text);
  EXPECT_TRUE(engine.HasTabElement(0, uint32_t(text.size())));
  EXPECT_FALSE(engine.HasTabElement(0, 4));
  EXPECT_FALSE(engine.HasBreakOpportunity(0, 4));
  EXPECT_TRUE(engine.HasBreakOpportunity(0, uint32_t(text.size())));
  Load(Stream().Text(u"ab").Element(xMorvaElementCode::SoftHyphen, Units(u"\u00AD"), 2).Text(u"c"));
  EXPECT_TRUE(engine.HasBreakOpportunity(0, 100));
}

}  // namespace
