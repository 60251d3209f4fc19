// Property runs and editing operations: the stream bytes they leave, the
// undo steps they run in, and what a text that cannot grow does to them.
#include "engine/tests/EngineTestSupport.h"

#include <array>
#include <functional>

#include "document/xMorvaText.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/tests/IntlTestTables.h"

namespace {

using PropertyRunTest = EngineTest;
using EditingTest = EngineTest;
using EngineUndoTest = EngineTest;

uint32_t Stop(int16_t position, uint8_t kind) { return MakeTabStop(position, 0, kind); }

TEST_F(PropertyRunTest, RecordsAreWrittenOnlyWhereTheValueChanges) {
  struct Case {
    const char* name;
    Bytes stream;
    int32_t start, end;
    uint16_t id;
    uint32_t value;
    Bytes expected;
  } cases[] = {
      {"already uniform", Stream().Record(kPropBold, 1).Text(u"abc"), 0, 3, kPropBold, 1,
       Stream().Record(kPropBold, 1).Text(u"abc")},
      {"start and restoring record", Stream().Text(u"abcd"), 1, 2, kPropBold, 1,
       Stream().Text(u"a").Record(kPropBold, 1).Text(u"b").Record(kPropBold, 0).Text(u"cd")},
      {"the text after has the value", Stream().Text(u"ab").Record(kPropBold, 1).Text(u"cd"), 1, 2, kPropBold, 1,
       Stream().Text(u"a").Record(kPropBold, 1).Text(u"bcd")},
      {"records inside the range go", Stream().Text(u"a").Record(kPropBold, 1).Text(u"bc"), 0, 1, kPropBold, 1,
       Stream().Record(kPropBold, 1).Text(u"abc")},
      {"last paragraph: no restoring record", Stream().Text(u"ab\rcd"), 4, 4, kPropAlignment, 1,
       Stream().Text(u"ab\r").Record(kPropAlignment, 1).Text(u"cd")},
      {"restored after the paragraph end", Stream().Text(u"ab\rcd"), 1, 1, kPropAlignment, 1,
       Stream().Record(kPropAlignment, 1).Text(u"ab\r").Record(kPropAlignment, 0).Text(u"cd")},
      {"the paragraph before has the value",
       Stream().Record(kPropAlignment, 1).Text(u"ab\r").Record(kPropAlignment, 0).Text(u"cd"), 4, 4,
       kPropAlignment, 1, Stream().Record(kPropAlignment, 1).Text(u"ab\rcd")},
      {"a stop the paragraph before has", Stream().Tab(100, kTabLeft).Text(u"ab\rcd\ref"), 4, 4, kPropTabs,
       Stop(100, kTabLeft), Stream().Tab(100, kTabLeft).Text(u"ab\rcd\ref")},
      {"a new stop, removed after", Stream().Text(u"ab\rcd\ref"), 4, 4, kPropTabs, Stop(200, kTabRight),
       Stream().Text(u"ab\r").Tab(200, kTabRight).Text(u"cd\r").Tab(200, kTabNone).Text(u"ef")},
  };
  for (const Case& c : cases) {
    Load(c.stream, c.start, c.end);
    EXPECT_EQ(0, engine.SetPropertyValue(c.id, int32_t(c.value))) << c.name;
    EXPECT_EQ(c.expected, Bytes_()) << c.name;
    engine.SetSelection(c.start, c.end);
    if (c.id != kPropTabs) {
      EXPECT_EQ(int32_t(c.value), engine.GetPropertyValue(c.id)) << c.name;
    } else {
      EXPECT_TRUE(engine.GetCurrentTabs().Contains(c.value)) << c.name;
    }
  }
  Load(Stream().Text(u"ab"), 1, 2);
  EXPECT_EQ(1075, engine.SetPropertyValue(20, 1));
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
}

// The text after a selection whose last item is an element keeps its own
// look, whatever was selected before.
TEST_F(PropertyRunTest, ASelectionEndingWithAnElementRestoresTheTextAfterIt) {
  Load(Stream().Text(u"a").Record(kPropItalic, 1).Text(u"b").Element(xMorvaElementCode::Pict, {1, 2}).Text(u"c"));
  engine.SetSelection(0, 0);
  engine.SetSelection(2, 3);
  ASSERT_EQ(0, engine.SetPropertyValue(kPropItalic, 0));
  EXPECT_EQ(Stream()
                .Text(u"a")
                .Record(kPropItalic, 1)
                .Text(u"b")
                .Record(kPropItalic, 0)
                .Element(xMorvaElementCode::Pict, {1, 2})
                .Record(kPropItalic, 1)
                .Text(u"c")
                .bytes(),
            Bytes_());
}

TEST_F(PropertyRunTest, ACaretPropertyIsWrittenByTyping) {
  Load(Stream().Text(u"ab"), 1, 1);
  ASSERT_EQ(0, engine.SetPropertyWithUndo(kPropBold, 1));
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  EXPECT_EQ(0, undo.GetEnd()) << "no undo step for a caret property";
  ASSERT_EQ(0, engine.TypeCharacter('x'));
  const Bytes once = Stream().Text(u"a").Record(kPropBold, 1).Text(u"x").Record(kPropBold, 0).Text(u"b");
  EXPECT_EQ(once, Bytes_());
  ASSERT_EQ(0, engine.TypeCharacter('y'));
  EXPECT_EQ(Stream().Text(u"a").Record(kPropBold, 1).Text(u"xy").Record(kPropBold, 0).Text(u"b").bytes(), Bytes_());
  EXPECT_EQ(3, engine.GetSelStart());
  EXPECT_EQ(1, engine.GetPropertyValue(kPropBold)) << "typing properties stay at the caret";
  Load(Bytes());
  ASSERT_EQ(0, engine.TypeCharacter('a'));
  EXPECT_EQ(Stream().Text(u"a").bytes(), Bytes_()) << "default look: no record";
}

// Units typed at once leave the stream, the selection and the word as
// typing them one by one does: at the end, in the middle of a word, in
// another look than the text around, over a selection, across scripts and
// with a pair of surrogates. Before a mark, a linked consonant or an emoji
// the caret stands right after each typed unit, even inside the character
// it makes with the text after it. A reader's run appended at the text's end leaves
// them too, once the caret is walked to.
TEST_F(PropertyRunTest, TypingARunIsTypingEachUnit) {
  const struct Row {
    Bytes text;
    int32_t start, end;
    bool bold;
    std::u16string units;
    int32_t caret = -1;  // after the typing, when told
    const char16_t* typed = nullptr;  // the text after it, when told
  } rows[] = {
      {Bytes(), 0, 0, false, u"quick fox"},
      {Stream().Text(u"ab cd\r"), 1, 1, false, u"xy z"},
      {Stream().Text(u"ab cd"), 2, 2, true, u"xy"},
      {Stream().Text(u"ab cd"), 1, 4, false, u", q"},
      {Stream().Text(u"ab\r").Record(kPropBold, 1), 3, 3, false, u"run on"},
      {Stream().Text(u"word"), 2, 2, false, u"\u0391\u03B2x"},
      {Stream().Text(u"a b"), 1, 1, false, u"\U0001F600c"},
      {Stream().Text(u"ab\r\u0301x"), 3, 3, false, u" ", 4},
      {Stream().Text(u"ab\r\u0301x"), 3, 3, false, u" y", 5, u"ab\r y\u0301x"},
      {Stream().Text(u"\U0001F468\U0001F469"), 2, 2, false, u"\u200D", 3},
      {Stream().Text(u"\u091E\u0902"), 0, 0, false, u"\u092A\u094D\u092D\u0947", 4,
       u"\u092A\u094D\u092D\u0947\u091E\u0902"},
      {Stream().Text(u"\U0001F468\U0001F469"), 2, 2, false, u"\u200D\U0001F467", 5,
       u"\U0001F468\u200D\U0001F467\U0001F469"},
      {Stream().Text(u"\xD83D\u1112"), 0, 0, false, u"\u1112", 1},
      {Stream().Text(u"ab\r"), 3, 3, true, u"cd e"},
  };
  const auto state = [&]() -> std::array<int32_t, 8> {
    return {engine.GetSelStart(),  engine.GetSelEnd(),  int32_t(engine.GetSelStartOffset()),
            engine.GetWordStart(), engine.GetWordEnd(), engine.GetParagraphEnd(),
            engine.GetLength(),    engine.SelectionEndsWithSpace()};
  };
  for (const Row& row : rows) {
    const std::string name = "row " + std::to_string(&row - rows);
    Load(row.text, row.start, row.end);
    if (row.bold) {
      ASSERT_EQ(0, engine.SetPropertyValue(kPropBold, 1));
    }
    for (const char16_t unit : row.units) {
      ASSERT_EQ(0, engine.TypeCharacter(unit)) << name;
    }
    const Bytes one = Bytes_();
    const auto each = state();
    EXPECT_TRUE(row.typed == nullptr || Bytes(Stream().Text(row.typed)) == one) << name;
    // Typed as a run, and appended as a reader does, the caret then walked
    // to where the typing left it.
    for (const bool appended : {false, true}) {
      Load(row.text, row.start, row.end);
      if (row.bold) {
        ASSERT_EQ(0, engine.SetPropertyValue(kPropBold, 1));
      }
      ASSERT_EQ(0, appended ? engine.AppendTyped(row.units.data(), int32_t(row.units.size()))
                            : engine.TypeCharacters(row.units.data(), int32_t(row.units.size())))
          << name;
      EXPECT_EQ(one, Bytes_()) << name;
      if (appended) engine.SetSelectionAsTyped(engine.GetSelStart(), engine.GetSelEnd());
      const auto run = state();
      for (size_t i = 0; i < std::size(each); ++i) {
        EXPECT_EQ(each[i], run[i]) << name << " " << i << (appended ? " appended" : "");
      }
      EXPECT_TRUE(row.caret < 0 || run[0] == row.caret) << name << " caret at " << run[0];
    }
  }
}

// Records left at the end of a text govern no character: typing there
// writes its own look and takes them away, so that nothing redundant is
// left behind the typed unit.
TEST_F(PropertyRunTest, TypingAtTheEndTakesTheRecordsLeftThere) {
  Load(Stream().Text(u"ab\r").Record(kPropBold, 1), 3, 3);
  ASSERT_EQ(0, engine.TypeCharacter(u'x'));
  EXPECT_EQ(Bytes_(), Bytes(Stream().Text(u"ab\r").Record(kPropBold, 1).Text(u"x")));
  bool damaged = true;
  EXPECT_TRUE(engine.RepairStream(1, {1}, damaged));
  EXPECT_FALSE(damaged);
}

TEST_F(PropertyRunTest, SetTabsWritesRemovalsAndStops) {
  Load(Stream().Tab(100, kTabLeft).Tab(200, kTabLeft).Text(u"ab\rcd"), 4, 4);
  ASSERT_EQ(0, engine.SetTabs(xMorvaTabs()));
  EXPECT_EQ(Stream().Tab(100, kTabLeft).Tab(200, kTabLeft).Text(u"ab\r").Tab(100, kTabNone).Tab(200, kTabNone)
                .Text(u"cd")
                .bytes(),
            Bytes_());
  EXPECT_EQ(0, engine.GetTabCount());
  xMorvaTabs tabs;
  tabs.AddStop(Stop(300, kTabCentre));
  Load(Stream().Text(u"ab\rcd"), 1, 1);
  ASSERT_EQ(0, engine.SetTabsWithUndo(tabs));
  EXPECT_EQ(Stream().Tab(300, kTabCentre).Text(u"ab\r").Tab(300, kTabNone).Text(u"cd").bytes(), Bytes_());
  uint32_t stop = 0;
  EXPECT_TRUE(engine.GetTab(0, stop));
  EXPECT_EQ(Stop(300, kTabCentre), stop);
  undo.Undo();
  EXPECT_EQ(Stream().Text(u"ab\rcd").bytes(), Bytes_());
}

TEST_F(PropertyRunTest, ExtremesAndIndentSums) {
  Load(Bytes());
  EXPECT_EQ(0, engine.GetMaxIndentSum());
  Load(Stream()
           .Record(kPropLeftIndent, 10)
           .Record(kPropFirstLineIndent, -5)
           .Record(kPropRightIndent, 20)
           .Text(u"a\r")
           .Record(kPropFirstLineIndent, 30)
           .Text(u"b"),
       0, 0);
  EXPECT_EQ(60, engine.GetMaxIndentSum());
  EXPECT_EQ(30, engine.GetPropertyExtreme(kPropFirstLineIndent, false, true));
  EXPECT_EQ(-5, engine.GetPropertyExtreme(kPropFirstLineIndent, false, false));
  EXPECT_EQ(-5, engine.GetPropertyExtreme(kPropFirstLineIndent, true, true))
      << "the next paragraph's records are not counted";
  EXPECT_EQ(10, engine.GetMaxLeftIndentSum());
  engine.SetSelection(2, 2);
  EXPECT_EQ(40, engine.GetMaxLeftIndentSum());
  EXPECT_EQ(50, engine.GetMaxRightIndentSum());
  EXPECT_EQ(30, engine.GetMaxSideIndentSum());
  EXPECT_TRUE(engine.UsesPropertyValue(kPropFirstLineIndent, 30));
  EXPECT_TRUE(engine.UsesPropertyValue(kPropBold, 0)) << "the default";
  EXPECT_FALSE(engine.UsesPropertyValue(kPropFirstLineIndent, 31));
}

TEST_F(EditingTest, DeletingAcrossParagraphs) {
  struct Case {
    const char* name;
    Bytes stream;
    int32_t start, end;
    Bytes expected;
  } cases[] = {
      {"one paragraph from its start", Stream().Text(u"xy\r").Record(kPropAlignment, 1).Text(u"ab\r")
                                           .Record(kPropAlignment, 2).Text(u"cd"),
       3, 6, Stream().Text(u"xy\r").Record(kPropAlignment, 2).Text(u"cd")},
      {"middle to middle", Stream().Record(kPropAlignment, 1).Text(u"ab\r").Record(kPropAlignment, 2)
                               .Text(u"cd\r").Record(kPropAlignment, 3).Text(u"ef"),
       1, 4, Stream().Record(kPropAlignment, 1).Text(u"ad\r").Record(kPropAlignment, 3).Text(u"ef")},
      {"into the last paragraph", Stream().Record(kPropAlignment, 1).Text(u"ab\r").Record(kPropAlignment, 2)
                                      .Text(u"cd"),
       1, 4, Stream().Record(kPropAlignment, 1).Text(u"ad")},
      {"the last paragraph end", Stream().Record(kPropAlignment, 1).Text(u"ab\r").Record(kPropAlignment, 2),
       2, 3, Stream().Record(kPropAlignment, 1).Text(u"ab")},
      {"a tab list merged", Stream().Tab(50, kTabLeft).Text(u"ab\r").Tab(50, kTabNone).Tab(90, kTabLeft)
                                .Text(u"cd\ref"),
       1, 4, Stream().Tab(50, kTabLeft).Text(u"ad\r").Tab(50, kTabNone).Tab(90, kTabLeft).Text(u"ef")},
      {"characters keep their look", Stream().Text(u"a").Record(kPropBold, 1).Text(u"bc").Record(kPropItalic, 1)
                                         .Text(u"d"),
       1, 3, Stream().Text(u"a").Record(kPropBold, 1).Record(kPropItalic, 1).Text(u"d")},
  };
  for (const Case& c : cases) {
    Load(c.stream, c.start, c.end);
    const int32_t length = engine.GetLength();
    EXPECT_EQ(0, engine.DeleteSelection()) << c.name;
    EXPECT_EQ(c.expected, Bytes_()) << c.name;
    EXPECT_EQ(length - (c.end - c.start), engine.GetLength()) << c.name;
    EXPECT_EQ(c.start, engine.GetSelEnd()) << c.name;
  }
  EXPECT_EQ(1, engine.GetPropertyValue(kPropBold)) << "the caret takes the first deleted character's look";
}

TEST_F(EditingTest, MarkersParagraphEndsAndHandles) {
  Load(Stream().Text(u"a\x07").Text(u"b\x07").Record(kPropBold, 1).Text(u"c\x07"));
  EXPECT_EQ(0, engine.RemoveMarkers());
  EXPECT_EQ(Stream().Text(u"ab").Record(kPropBold, 1).Text(u"c").bytes(), Bytes_());
  EXPECT_EQ(3, engine.GetLength());

  Load(Stream().Record(kPropAlignment, 2).Text(u"abcd"), 2, 2);
  ASSERT_EQ(0, engine.InsertParagraphEndWithUndo());
  EXPECT_EQ(Stream().Record(kPropAlignment, 2).Text(u"ab\rcd").bytes(), Bytes_());
  EXPECT_EQ(3, engine.GetSelStart());
  EXPECT_EQ(2, engine.GetPropertyValue(kPropAlignment)) << "both halves keep the paragraph's look";

  const Bytes good = Stream().Text(u"x").Element(xMorvaElementCode::Pict, {1, 2});
  const Bytes bad[] = {Stream().Text(u"x").Head(xMorvaElementCode::Pict, 8, 0), Stream().Unit(0).Unit(5),
                       Stream().Text(u"x").Raw({1})};
  for (const Bytes& bytes : bad) {
    const VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
    EXPECT_EQ(1074, engine.InsertHandleWithUndo(handle, PositionsOf(bytes)));
    gMemoryMgr->DisposeHandle(handle);
  }
  const VMemHandle handle = gMemoryMgr->NewHandleFromData(good.data(), uint32_t(good.size()));
  EXPECT_EQ(1074, engine.InsertHandle(handle, 3)) << "another number of positions";
  EXPECT_EQ(Stream().Record(kPropAlignment, 2).Text(u"ab\rcd").bytes(), Bytes_());
  engine.SetSelection(1, 4);
  ASSERT_EQ(0, engine.InsertHandleWithUndo(handle, 2));
  gMemoryMgr->DisposeHandle(handle);
  EXPECT_EQ(Stream().Record(kPropAlignment, 2).Text(u"ax").Element(xMorvaElementCode::Pict, {1, 2}).Text(u"d").bytes(),
            Bytes_());
  EXPECT_EQ(1, engine.GetSelStart());
  EXPECT_EQ(3, engine.GetSelEnd());
}

// A run of edits of every kind, each undone and redone: the bytes, length
// and selection come back exactly. Typing at one caret is one step.
TEST_F(EngineUndoTest, EveryEditUndoesAndRedoesExactly) {
  Load(Stream().Record(kPropAlignment, 1).Tab(80, kTabLeft).Text(u"one two\r").Record(kPropAlignment, 2)
           .Text(u"three\r").Record(kPropBold, 1).Text(u"four"));
  struct State {
    Bytes bytes;
    int32_t length, start, end;
  };
  std::vector<State> states;
  auto snapshot = [&] { states.push_back({Bytes_(), engine.GetLength(), engine.GetSelStart(), engine.GetSelEnd()}); };
  xMorvaTabs tabs;
  tabs.AddStop(Stop(40, kTabDecimal));
  const Bytes units = Stream().Text(u"[").Record(kPropItalic, 1).Text(u"]");
  const VMemHandle handle = gMemoryMgr->NewHandleFromData(units.data(), uint32_t(units.size()));
  const auto type = [&](const std::u16string& typed) {
    int32_t error = 0;
    for (const char16_t c : typed) error = error != 0 ? error : engine.TypeCharacterWithUndo(c);
    return error;
  };
  std::vector<std::function<int32_t()>> edits = {
      [&] { engine.SetSelection(1, 6); return engine.SetPropertyWithUndo(kPropBold, 1); },
      [&] { engine.SetSelection(9, 9); return engine.SetPropertyWithUndo(kPropAlignment, 3); },
      [&] { return engine.SetTabsWithUndo(tabs); },
      [&] {
        engine.SetSelection(3, 3);
        engine.SetPropertyValue(kPropItalic, 1);
        for (char16_t c : std::u16string(u"!?.")) {
          if (const int32_t error = engine.TypeCharacterWithUndo(c)) return error;
        }
        return 0;
      },
      [&] { return engine.InsertParagraphEndWithUndo(); },
      [&] { engine.SetSelection(2, 12); return engine.DeleteSelectionWithUndo(); },
      [&] { engine.SetSelection(1, 4); return engine.InsertHandleWithUndo(handle, 2); },
      [&] { engine.SetSelection(0, engine.GetLength()); return engine.DeleteSelectionWithUndo(); },
      [&] { return type(u"\u091E\u0902"); },  // then a virama linking a consonant
      [&] { engine.SetSelection(0, 0); return type(u"\u092A\u094D"); },
      [&] { return type(u"\u092D\u0947"); },
  };
  snapshot();
  for (auto& edit : edits) {
    ASSERT_EQ(0, edit());
    undo.Commit();  // typing on at the caret would join the step before
    snapshot();
  }
  gMemoryMgr->DisposeHandle(handle);
  EXPECT_EQ(2, states[edits.size() - 1].start) << "the caret right after the virama";
  auto expectState = [&](size_t i) {
    EXPECT_EQ(states[i].bytes, Bytes_()) << i;
    EXPECT_EQ(states[i].length, engine.GetLength()) << i;
    EXPECT_EQ(PositionsOf(Bytes_()), engine.GetLength()) << i;
  };
  for (size_t i = edits.size(); i-- > 0;) {
    undo.Undo();
    expectState(i);
    EXPECT_TRUE(i + 1 < edits.size() || states[i].start == engine.GetSelStart()) << "typed on";
  }
  EXPECT_FALSE(undo.CanUndo());
  for (size_t i = 1; i <= edits.size(); ++i) {
    undo.Redo();
    expectState(i);
    EXPECT_EQ(states[i].start, engine.GetSelStart()) << i;
  }
}

TEST_F(EngineUndoTest, AGroupIsTakenBackWholeAndACancelledStepLeavesNothing) {
  const Bytes original = Stream().Text(u"abc\rdef");
  Load(original);
  undo.BeginGroup(kUndoGroupReplaceAll);
  engine.SetSelection(0, 2);
  ASSERT_EQ(0, engine.SetPropertyWithUndo(kPropItalic, 1));
  engine.SetSelection(2, 5);
  ASSERT_EQ(0, engine.DeleteSelectionWithUndo());
  undo.EndGroup();
  const Bytes grouped = Bytes_();
  undo.Undo();
  EXPECT_EQ(original, Bytes_());
  undo.Redo();
  EXPECT_EQ(grouped, Bytes_());

  const int32_t end = undo.GetEnd();
  engine.SetSelection(1, 1);
  engine.BeginUndoStep(kUndoPaste, 0);
  ASSERT_EQ(0, engine.TypeCharacter('x'));
  engine.SetSelection(0, 3);
  ASSERT_EQ(0, engine.DeleteSelection());
  engine.EndUndoStep(1041);
  EXPECT_EQ(grouped, Bytes_());
  EXPECT_EQ(end, undo.GetEnd());
  EXPECT_EQ(1, engine.GetSelStart());
  ASSERT_FALSE(areaServices.alerts.empty());
  EXPECT_EQ(xMorvaUndo::kAlertStepCancelled, areaServices.alerts.back().second);
}

TEST_F(EngineUndoTest, ATextThatCannotGrowLeavesTextAndHistoryAsTheyWere) {
  Load(Stream().Record(kPropAlignment, 1).Text(u"ab\r").Record(kPropAlignment, 2).Text(u"cd"), 0, 0);
  ASSERT_EQ(0, engine.TypeCharacterWithUndo('x'));
  ASSERT_EQ(0, engine.TypeCharacterWithUndo('y'));
  const Bytes typed = Bytes_();
  const int32_t end = undo.GetEnd();
  const int32_t position = undo.GetPosition();
  xMorvaTabs tabs;
  tabs.AddStop(Stop(10, kTabLeft));
  {
    ScopedNoGrowth noGrowth;
    EXPECT_EQ(1041, engine.InsertBytes(0u, "xy", 2));
    EXPECT_EQ(1041, engine.TypeCharacterWithUndo('z'));
    engine.SetSelection(1, 6);
    EXPECT_EQ(1041, engine.DeleteSelectionWithUndo());
    EXPECT_EQ(1041, engine.SetPropertyWithUndo(kPropBold, 1));
    EXPECT_EQ(1041, engine.SetTabsWithUndo(tabs));
    EXPECT_EQ(1041, engine.InsertParagraphEndWithUndo());
  }
  EXPECT_EQ(typed, Bytes_());
  EXPECT_EQ(end, undo.GetEnd());
  EXPECT_EQ(position, undo.GetPosition());
  EXPECT_TRUE(areaServices.alerts.empty());
  EXPECT_EQ(7, engine.GetLength());
  EXPECT_EQ(1041, engine.InsertBytes(100u, "xy", 2)) << "an offset beyond the stream";
  undo.Undo();
  EXPECT_EQ(Stream().Record(kPropAlignment, 1).Text(u"ab\r").Record(kPropAlignment, 2).Text(u"cd").bytes(), Bytes_());
}

// Text read in the wrong character set: each unit of the selection, the
// shown text of computed elements included, goes to a byte of one set and
// back from the other; records and element heads stay as they are.
TEST_F(EditingTest, CharacterSetConversionTouchesOnlyCharacters) {
  FakeIntlMgr tables;
  TableBytes windows;
  windows.u16(1);
  for (int b = 0; b < 256; ++b) windows.u16(uint16_t(b < 0x80 ? b : b == 0xE9 ? 0xE9 : 0x100 + b));
  tables.tables[{FourCC("macu"), 0}] = TestSingleByteToUni();
  tables.tables[{FourCC("umac"), 0}] = TestUniToSingleByte();
  tables.tables[{FourCC("winu"), 0}] = windows.bytes;
  tables.tables[{FourCC("uwin"), 0}] = TestUniToSingleByte();
  tables.LoadTables(kLanguageUSEnglish);
  VIntlMgr* saved = gIntlMgr;
  gIntlMgr = &tables;
  const Bytes payload = Stream().Long(0xE9).Text(u"\u00E9");
  Load(Stream().Text(u"a\u00E9").Record(kPropBold, 0xE9).Element(xMorvaElementCode::DateTime, payload, 4).Text(u"\u00E9"),
       0, 3);
  engine.ConvertCharacterSet(-1, 1);
  engine.ConvertCharacterSet(0, 0);
  engine.ConvertCharacterSet(0, 1);
  gIntlMgr = saved;
  EXPECT_EQ(Stream()
                .Text(u"a\u018E")
                .Record(kPropBold, 0xE9)
                .Element(xMorvaElementCode::DateTime, Stream().Long(0xE9).Text(u"\u018E"), 4)
                .Text(u"\u00E9")
                .bytes(),
            Bytes_());
}

TEST(EngineServices, TheDocumentMakesItsTextsThroughTheInstalledFactory) {
  EXPECT_EQ(nullptr, NewDocumentText(nullptr, xMorvaEngine::kPartGranule));
  xMorvaDocumentEngineServices services;
  xMorvaTextInterface* text = nullptr;
  {
    VInstalledService<xMorvaEngineServices> installed(&services);
    text = NewDocumentText(nullptr, xMorvaEngine::kBodyGranule);
  }
  EXPECT_EQ(nullptr, NewDocumentText(nullptr, xMorvaEngine::kPartGranule));
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(0, text->TypeCharacterWithUndo('a'));
  EXPECT_EQ(1, text->GetLength());
  EXPECT_EQ(2u, text->GetStreamSize());
  delete text;
}

}  // namespace
