// Text conversion, case change, statistics and the edits over the whole
// selection: style sheets, borders and the saved selection.
#include <string>

#include "engine/tests/EngineTestSupport.h"
#include "engine/xMorvaEngineHost.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/IntlTestTables.h"

namespace {

class AlertCounter : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t, int16_t, VString& out) override { out.SetEmpty(false); }
  void ShowMemoryAlert() override { ++alerts; }
  VValue* EvaluateReference(const uint8_t*, uint32_t) override { return nullptr; }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override { return false; }
  int alerts = 0;
};

std::u16string Units(const VString& text) {
  std::u16string units;
  for (int32_t i = 1; i <= text.GetLength(); ++i) units += text.GetCharAt(i);
  return units;
}

Bytes HandleBytes(VMemHandle handle) {
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  Bytes bytes(data, data + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  return bytes;
}

// The tables of a US English system: ASCII case and the test sets.
class WithTables {
 public:
  WithTables() : fSaved(gIntlMgr) {
    AddTestTables(fTables, 0, false);
    fTables.LoadTables(kLanguageUSEnglish);
    gIntlMgr = &fTables;
  }
  ~WithTables() { gIntlMgr = fSaved; }

 private:
  FakeIntlMgr fTables;
  VIntlMgr* fSaved;
};

class TextTest : public EngineTest {
 protected:
  AlertCounter host;
  VInstalledService<xMorvaEngineHost> installed{&host};
};

const Bytes kTab = Stream().Element(xMorvaElementCode::Tab, Bytes(14, 0), 14);
const Bytes kShownHyphen = Stream().Element(xMorvaElementCode::SoftHyphen, Stream().Unit(173), 0);

TEST_F(TextTest, StringsBecomeUnits) {
  struct Case {
    std::u16string text;
    bool mark;
    Bytes units;
    uint32_t count;
  };
  const Case cases[] = {
      {u"a\tb", false, Stream().Text(u"a").Raw(kTab).Text(u"b"), 3},
      {u"x\u00ADy", false, Stream().Text(u"x").Raw(kShownHyphen).Text(u"y"), 3},
      {u"a\x01\r\uFEFFb", false, Stream().Text(u"a\rb"), 3},
      {u"a\x01\r\uFEFFb", true, Stream().Text(u"a\x07\r\x07" u"b"), 5},
      {u"\uF041\uF0FF\uF000\uF100", false, Stream().Text(u"A\u00FF\uF100"), 3},
      // Mapped controls follow the control rule; a mapped tab is a tab.
      {u"\uF001\uF00D\uF009", true, Stream().Text(u"\x07\r").Raw(kTab), 3},
      {u"\uF001\uF0AD", false, Stream().Raw(kShownHyphen), 1},
      {u"", false, Bytes(), 0},
  };
  for (const Case& c : cases) {
    VStr<255> text;
    text.AppendUniChars(c.text.data(), int32_t(c.text.size()));
    const VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
    uint32_t units = 0;
    uint32_t bytes = 0;
    EXPECT_TRUE(engine.StringToUnits(text, handle, units, bytes, c.mark));
    EXPECT_EQ(c.units, HandleBytes(handle));
    EXPECT_EQ(c.count, units);
    EXPECT_EQ(c.units.size(), bytes);
    gMemoryMgr->DisposeHandle(handle);
  }
  EXPECT_EQ(0, host.alerts);
}

TEST_F(TextTest, ConversionThatRunsOutOfMemoryKeepsWhatItConverted) {
  VStr<255> text;
  text.AppendUniChars(u"ab\tc", 4);
  const VMemHandle handle = gMemoryMgr->NewHandle(8, 0);
  uint32_t units = 9;
  uint32_t bytes = 9;
  {
    ScopedNoGrowth noGrowth;
    EXPECT_FALSE(engine.StringToUnits(text, handle, units, bytes, false));
  }
  EXPECT_EQ(1, host.alerts);
  EXPECT_EQ(2u, units);
  EXPECT_EQ(4u, bytes);
  EXPECT_EQ(Stream().Text(u"ab").bytes(), HandleBytes(handle));
  gMemoryMgr->DisposeHandle(handle);
}

const Bytes kMixed = Stream()
                         .Record(kPropBold, 1)
                         .Text(u"a")
                         .Raw(kTab)
                         .Element(xMorvaElementCode::SoftHyphen, Stream().Unit(173), 2)
                         .Element(xMorvaElementCode::PageBreak, Stream().Unit(13), 0)
                         .Element(xMorvaElementCode::DateTime, Stream().Raw(Bytes(16, 0)).Text(u"12"), 16)
                         .Element(xMorvaElementCode::Pict, Bytes(24, 0), 24)
                         .Text(u"\u00A0z\r");

TEST_F(TextTest, PlainTextShowsWhatTheReaderSees) {
  Load(kMixed);
  VStr<255> text;
  engine.WritePlainText(text, false, true);
  EXPECT_EQ(u"a\t\u00AD\r\n12\u00A0z\r\n", Units(text));
  engine.SetSelection(0, 1);
  text.SetEmpty(false);
  engine.WritePlainText(text, true, false);
  EXPECT_EQ(u"a", Units(text));
}

TEST_F(TextTest, SingleByteTextMarksEachComputedElement) {
  WithTables tables;
  Load(kMixed);
  VMemHandle text = 0;
  VMemHandle table = 0;
  uint32_t fields = 0;
  ASSERT_TRUE(engine.ExportSingleByteText(text, fields, table));
  const std::string expected = std::string("a\t") + "\r12*?z\r";
  const Bytes bytes = HandleBytes(text);
  EXPECT_EQ(expected.size(), bytes.size());
  EXPECT_EQ('a', bytes[0]);
  EXPECT_EQ('*', bytes[5]);
  // Soft hyphen (nothing shown), page break (13) and date (12): start and
  // end indexes.
  EXPECT_EQ(3u, fields);
  EXPECT_EQ(Stream().Long(2).Long(2).Long(2).Long(3).Long(3).Long(5).bytes(), HandleBytes(table));
  gMemoryMgr->DisposeHandle(text);
  gMemoryMgr->DisposeHandle(table);
}

TEST_F(TextTest, WordUnitsSubstituteElements) {
  Load(kMixed, 0, 9);
  xMorvaWordUnits units;
  units.pageBreak = 12;
  units.softHyphen = 31;
  units.noBreakSpace = 160;
  units.picture = 1;
  units.dateTime = 0;  // its text goes through
  const VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  uint32_t count = 0;
  std::vector<uint32_t> positions;
  std::vector<uint16_t> kinds;
  ASSERT_TRUE(engine.ExportUnicodeText(handle, count, units, positions, kinds));
  EXPECT_EQ(Stream().Text(u"a\t\x1F\x0C" u"12\x01\u00A0z\r").bytes(), HandleBytes(handle));
  EXPECT_EQ(10u, count);
  EXPECT_EQ(std::vector<uint32_t>{7}, positions) << "the date's units count as they are read";
  EXPECT_EQ(std::vector<uint16_t>{1}, kinds);
  units.dateTime = 0x13;
  positions.clear();
  kinds.clear();
  ASSERT_TRUE(engine.ExportUnicodeText(handle, count, units, positions, kinds));
  EXPECT_EQ(Stream().Text(u"a\t\x1F\x0C\x13\x01\u00A0z\r").bytes(), HandleBytes(handle));
  EXPECT_EQ((std::vector<uint32_t>{4, 5}), positions);
  gMemoryMgr->DisposeHandle(handle);
}

TEST_F(TextTest, SentencesEndAtAPeriodOrAParagraphEnd) {
  Load(Stream().Text(u"Hi.").Record(kPropBold, 1).Raw(kTab).Text(u"Yo\rok"));
  uint32_t at = 0;
  VStr<255> sentence;
  ASSERT_TRUE(engine.CollectSentence(at, engine.GetStreamSize(), 100, sentence));
  EXPECT_EQ(u"Hi.", Units(sentence));
  sentence.SetEmpty(false);
  ASSERT_TRUE(engine.CollectSentence(at, engine.GetStreamSize(), 100, sentence));
  EXPECT_EQ(u"\tYo\r", Units(sentence));
  sentence.SetEmpty(false);
  ASSERT_TRUE(engine.CollectSentence(at, engine.GetStreamSize(), 1, sentence));
  EXPECT_EQ(u"o", Units(sentence));
  ASSERT_TRUE(engine.CollectSentence(at, engine.GetStreamSize(), 100, sentence));
  EXPECT_FALSE(engine.CollectSentence(at, engine.GetStreamSize(), 100, sentence));
}

TEST_F(TextTest, CaseChangesInPlaceAndIsUndone) {
  WithTables tables;
  struct Case {
    int32_t mode;
    std::u16string before, after;
  };
  const Case cases[] = {
      {0, u"ABC abc 123", u"abc abc 123"}, {1, u"ABC abc 123", u"ABC ABC 123"},
      {2, u"aBC abc 123", u"Abc Abc 123"}, {3, u"ABC abc 123", u"abc ABC 123"},
      {3, u"aBc", u"AbC"},
      // An emoji's low unit is no word's: a capital follows it.
      {2, u"\U0001F600abc", u"\U0001F600Abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Load(Stream().Text(c.before).Record(kPropBold, 1), 0, int32_t(c.before.size()));
    ASSERT_EQ(0, engine.ChangeCase(c.mode));
    EXPECT_EQ(Stream().Text(c.after).Record(kPropBold, 1).bytes(), Bytes_());
    undo.Undo();
    EXPECT_EQ(Stream().Text(c.before).Record(kPropBold, 1).bytes(), Bytes_());
  }
  // Inside a word, capitals start only after a separator.
  Load(Stream().Text(u"abc de"), 1, 6);
  ASSERT_EQ(0, engine.ChangeCase(2));
  EXPECT_EQ(Stream().Text(u"abc De").bytes(), Bytes_());
}

TEST_F(TextTest, StatisticsCountWordStarts) {
  struct Case {
    Bytes text;
    uint32_t characters, words, paragraphs;
  };
  const Case cases[] = {
      {Bytes(), 0, 0, 1},
      {Stream().Text(u"  ab"), 4, 1, 1},
      {Stream().Text(u"ab"), 2, 1, 1},
      {Stream().Text(u"ab cd\ref"), 8, 3, 2},
      {Stream().Text(u"a").Raw(kTab).Text(u"b\u2003c "), 6, 3, 1},
      {Stream().Text(u"  \r "), 4, 0, 2},
  };
  for (const Case& c : cases) {
    Load(c.text);
    xMorvaTextStatistics counts;
    engine.GetTextStatistics(counts);
    EXPECT_EQ(c.characters, counts.characters);
    EXPECT_EQ(c.words, counts.words);
    EXPECT_EQ(c.paragraphs, counts.paragraphs);
  }
  Load(kMixed);
  xMorvaTextStatistics counts;
  engine.GetTextStatistics(counts);
  EXPECT_EQ(1u, counts.pictures);
  EXPECT_EQ(1u, counts.softHyphens);
  EXPECT_EQ(1u, counts.pageBreaks);
  EXPECT_EQ(1u, counts.datesAndTimes);
  EXPECT_EQ(0u, counts.pageNumbers);
  EXPECT_EQ(3u, counts.paragraphs) << "the page break's unit and the last 13";
  EXPECT_EQ(9u, engine.RecountPositions());
}

TEST_F(TextTest, AStyleSheetSetsItsDefinedValuesAndItsId) {
  Load(Stream().Text(u"abc"), 0, 3);
  xMorvaProperties values;
  values.SetDefaults();
  values.SetProperty(kPropBold, 1);
  values.SetProperty(kPropItalic, 1);
  values.SetProperty(kPropLinkLook, 3);
  xMorvaPropertiesStates states;
  states.ClearAll();
  states.SetState(kPropBold, 1);
  states.SetState(kPropLinkLook, 1);
  states.SetState(20, 1);  // no property has it
  ASSERT_EQ(0, engine.ApplyStyleSheetToSelection(4, false, values, states, nullptr));
  EXPECT_EQ(Stream().Record(kPropBold, 1).Record(kPropStyleSheet, 4).Text(u"abc").bytes(), Bytes_());
  undo.Undo();
  EXPECT_EQ(Stream().Text(u"abc").bytes(), Bytes_());
}

TEST_F(TextTest, BordersMarkTheFirstAndLastParagraphAndTheInnerOnes) {
  Load(Stream().Text(u"a\rb\rc\rd"), 0, 5);
  ASSERT_EQ(0, engine.SetSelectionBorders(true, true));
  struct Expected {
    int32_t position;
    int32_t top, bottom;
  };
  for (const Expected& e : {Expected{0, 1, 0}, Expected{2, 1, 0}, Expected{4, 1, 1}, Expected{6, 0, 0}}) {
    engine.SetSelection(e.position, e.position);
    EXPECT_EQ(e.top, engine.GetPropertyValue(kPropTopBorder)) << e.position;
    EXPECT_EQ(e.bottom, engine.GetPropertyValue(kPropBottomBorder)) << e.position;
    EXPECT_EQ(e.position < 6 ? 1 : 0, engine.GetPropertyValue(kPropLeftBorder)) << e.position;
  }
  undo.Undo();
  EXPECT_EQ(Stream().Text(u"a\rb\rc\rd").bytes(), Bytes_());
  // One paragraph takes all four.
  Load(Stream().Text(u"ab\rc"), 0, 1);
  ASSERT_EQ(0, engine.SetSelectionBorders(true, false));
  engine.SetSelection(0, 0);
  EXPECT_EQ(1, engine.GetPropertyValue(kPropTopBorder));
  EXPECT_EQ(1, engine.GetPropertyValue(kPropBottomBorder));
  engine.SetSelection(3, 3);
  EXPECT_EQ(0, engine.GetPropertyValue(kPropTopBorder));
}

TEST_F(TextTest, BordersSetOnlyTheSidesWhoseStateIsSet) {
  // Paragraphs that differ in their left border: with the left side
  // undecided each keeps its own, while the right side decided is set on
  // both; with one paragraph an undecided top stays too.
  Load(Stream().Text(u"a\rb"), 0, 0);
  ASSERT_EQ(0, engine.SetPropertyValue(kPropLeftBorder, 1));
  ASSERT_EQ(0, engine.SetPropertyValue(kPropTopBorder, 1));
  engine.SetSelection(0, 3);
  xMorvaProperties values;
  values.SetDefaults();
  values.SetProperty(kPropRightBorder, 1);
  xMorvaPropertiesStates states;
  states.ClearAll();
  states.SetState(kPropRightBorder, 1);
  ASSERT_EQ(0, engine.ApplyParagraphBorders(values, states, false, false));
  for (const int32_t position : {0, 2}) {
    engine.SetSelection(position, position);
    EXPECT_EQ(position == 0 ? 1 : 0, engine.GetPropertyValue(kPropLeftBorder)) << position;
    EXPECT_EQ(1, engine.GetPropertyValue(kPropRightBorder)) << position;
  }
  engine.SetSelection(0, 1);
  ASSERT_EQ(0, engine.ApplyParagraphBorders(values, states, false, false));
  engine.SetSelection(0, 0);
  EXPECT_EQ(1, engine.GetPropertyValue(kPropTopBorder));
  EXPECT_EQ(1, engine.GetPropertyValue(kPropLeftBorder));
}

TEST_F(TextTest, AParagraphSheetSetsItsTabsAndParagraphValues) {
  Load(Stream().Text(u"ab\rcd"), 0, 1);
  xMorvaProperties values;
  values.SetDefaults();
  values.SetProperty(kPropAlignment, 2);
  xMorvaPropertiesStates states;
  states.ClearAll();
  states.SetState(kPropAlignment, 1);
  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(300, 0, kTabCentre));
  ASSERT_EQ(0, engine.ApplyStyleSheetToSelection(7, true, values, states, &tabs));
  engine.SetSelection(1, 1);
  EXPECT_EQ(2, engine.GetPropertyValue(kPropAlignment));
  EXPECT_EQ(7, engine.GetPropertyValue(kPropStyleSheet));
  EXPECT_EQ(1, engine.GetTabCount());
  engine.SetSelection(4, 4);
  EXPECT_EQ(0, engine.GetPropertyValue(kPropAlignment)) << "the next paragraph keeps its own";
  EXPECT_EQ(0, engine.GetTabCount());
  undo.Undo();
  EXPECT_EQ(Stream().Text(u"ab\rcd").bytes(), Bytes_());
}

}  // namespace

// A surrogate pair is one character to move over and to delete: a step
// from either side crosses both halves; a half alone is a character.
TEST_F(TextTest, ACharacterStepCrossesASurrogatePairWhole) {
  // a, the G clef (two units), a bold record, b, a lone high half, c.
  Load(Stream().Text(u"a\U0001D11E").Record(kPropBold, 1).Text(u"b\xD834" u"c").bytes());
  ASSERT_EQ(engine.GetLength(), 6);
  struct Case {
    int32_t from;
    bool forward;
    int32_t to;
  };
  const Case cases[] = {
      {0, true, 1}, {1, true, 3}, {3, true, 4}, {4, true, 5}, {5, true, 6}, {6, true, 6},
      {6, false, 5}, {5, false, 4}, {4, false, 3}, {3, false, 1}, {1, false, 0}, {0, false, 0},
      // Between the halves (where no edit puts the caret) a step goes on by one.
      {2, true, 3}, {2, false, 1}, {-1, false, 0}, {9, true, 6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(engine.CharacterStep(c.from, c.forward), c.to) << c.from << (c.forward ? " forward" : " back");
}

// A step reads the two units beside it from the nearest place whose offset
// the engine knows (the walk's marks, stop and cache point, the selection's
// ends), inside long runs of characters, past records, elements, a soft
// hyphen and a page break: from every position and with the selection
// anywhere it gives what the units say.
TEST_F(TextTest, ACharacterStepFromAnyKnownPlaceSeesThePairBesideIt) {
  const std::u16string pair = u"\U0001D11E";
  Stream stream;
  std::u16string units;  // a unit per position; 0 for an element
  auto text = [&](const std::u16string& t) {
    stream.Text(t);
    units += t;
  };
  text(std::u16string(1000, u'a'));
  stream.Record(kPropBold, 1);
  text(u"b" + pair);
  stream.Record(kPropBold, 0);
  text(pair + std::u16string(600, u'c'));
  stream.Raw(kTab);
  units += char16_t(0);
  text(pair + std::u16string(300, u'd') + u"\r" + pair);
  // A soft hyphen and a page break between pairs: one position each, whose
  // shown units are no neighbour of a step.
  stream.Raw(kShownHyphen);
  units += char16_t(0);
  text(pair + std::u16string(400, u'e'));
  stream.Element(xMorvaElementCode::PageBreak, Stream().Unit(13), 0);
  units += char16_t(0);
  text(pair);
  Load(stream.bytes());
  const int32_t length = int32_t(units.size());
  ASSERT_EQ(engine.GetLength(), length);
  auto pairAt = [&](int32_t p) {
    return p >= 0 && p + 1 < length && IsHighSurrogateUnit(units[size_t(p)]) && IsLowSurrogateUnit(units[size_t(p) + 1]);
  };
  const std::pair<int32_t, int32_t> selections[] = {
      {0, 0}, {1300, 1300}, {500, 1500}, {1003, 1006}, {1910, 1910}, {length, length}};
  for (const auto& [start, end] : selections) {
    engine.SetSelection(start, end);
    for (int32_t p = 0; p <= length; ++p) {
      const int32_t forward = p >= length ? length : p + (pairAt(p) ? 2 : 1);
      const int32_t back = p <= 0 ? 0 : p - (pairAt(p - 2) ? 2 : 1);
      ASSERT_EQ(engine.CharacterStep(p, true), forward) << p << " selection " << start << "-" << end;
      ASSERT_EQ(engine.CharacterStep(p, false), back) << p << " selection " << start << "-" << end;
    }
  }
}
